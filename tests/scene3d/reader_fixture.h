// The renderer's tables as a reader finds them, for the tests that fill the store through a
// reader or point by point: the colour map built, the radius table as built at scale 1. After
// each test the store is emptied and no allocation is set to fail.
#pragma once
#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <utility>
#include <vector>

#include "scene3d/colour_map.h"
#include "scene3d/elements.h"
#include "scene3d/radii.h"
#include "scene3d/read_molecule.h"
#include "scene3d/scene.h"
#include "scene3d/scene_alloc.h"
#include "support/image_fixtures.h"

using BondList = std::vector<std::pair<int, int>>;

class ReaderTables : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!scene3d::CMap) ASSERT_EQ(scene3d::InitColorMap(), 0);
    scene3d::default_radii();
    scene3d::RadMagn = 1;
  }
  void TearDown() override {
    scene3d::fail_alloc_at = 0;
    scene3d::SetContent(0);
  }

  // The molecule reader on the given bytes under `name`.
  static int read(const std::string& text, const char* name = "t.pdb") {
    return scene3d::read_molecule(name, (const unsigned char*)text.data(), (int64_t)text.size());
  }
  static int read(const Bytes& b, const char* name = "t.pdb") {
    static const unsigned char none = 0;
    return scene3d::read_molecule(name, b.empty() ? &none : b.data(), (int64_t)b.size());
  }

  // The store's bonds, each as (lo, hi).
  static BondList bonds() {
    BondList l;
    for (int b = 0; b < scene3d::n_bonds; b++)
      l.push_back({scene3d::bond[b].lo, scene3d::bond[b].hi});
    return l;
  }
};
