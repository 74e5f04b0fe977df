// A temporary folder to open files from, with the opener's readers replaced by recorders, so a
// test sees which row of the dispatch table ran and with what result.
#pragma once
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "app/open_file.h"
#include "support/temp_dir.h"

struct gif_call {
  int frame, fit, reset;
  bool operator==(const gif_call& o) const {
    return frame == o.frame && fit == o.fit && reset == o.reset;
  }
};

class OpenTest : public ::testing::Test {
 public:
  // Names of the rows whose reader ran, in order (the GIF row once, at its reset).
  static std::vector<std::string> ran;
  // What each row's reader returns (by row name; 0 when not set).
  static std::function<int(const std::string& row)> result;
  // Runs inside a row's reader, as a reader that lets the toolkit handle events would.
  static std::function<void(const std::string& row)> during_read;
  // The GIF reader: its calls, the frame count it reports, and which decode of frame 1 (counting
  // from 1) fails, 0 for none.
  static std::vector<gif_call> gif_calls;
  static int gif_frames, gif_failing_decode;

 protected:
  void SetUp() override;
  void TearDown() override;

  // Writes `bytes` to `name` in the test's folder (the current directory during the test).
  void write(const std::string& name, const std::string& bytes);
  // Opens `name` as a drop or the command line would.
  void open(const std::string& name);
  std::string title() const;
  std::string status() const;

  std::string dir_;

 private:
  std::string old_cwd_;
  std::vector<open_entry> saved_;
  std::unique_ptr<TempDir> tmp_;
};

// The view choice's item labels, and its selected label.
std::vector<std::string> choice_items();
std::string choice_selected();
