#include <gtest/gtest.h>

#include <FL/Fl_Choice.H>

#include <string>
#include <vector>

#include "app/panel.h"
#include "app/window.h"
#include "support/headless.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

std::vector<std::string> items() {
  std::vector<std::string> v;
  for (int i = 0; i < choice->size() - 1; i++) v.push_back(choice->menu()[i].label());
  return v;
}

using Items = std::vector<std::string>;

}  // namespace

TEST(Content, EverySetterInstallsItsListAndRemembersItsItem) {
  headless_viewer();
  struct Case {
    void (*set)();
    int kind;
    Items labels;
    int selected;
  } cases[] = {
      {set_content_empty, 0, {"none", "auto"}, 1},
      {[] { set_content_image(1); }, 1, {"none", "hex", "img", "auto"}, 3},
      {[] { set_content_jpeg(1); }, 2, {"none", "hex", "img", "smooth", "auto"}, 4},
      {set_content_text, 3, {"none", "hex", "text", "auto"}, 3},
      {set_content_html, 4, {"none", "hex", "source", "html", "auto"}, 4},
      {set_content_hex, 5, {"none", "hex", "auto"}, 2},
      {set_content_vglobe, 9, {"std", "moon"}, 0},
      {set_content_pdb, 10, {"none", "hex", "3d", "auto"}, 3},
      {set_content_srtm3, 11, {"none", "hex", "3d", "auto"}, 3},
      {set_content_sdf, 12, {"none", "hex", "3d", "auto"}, 3},
      {set_content_stl, 13, {"none", "hex", "3d", "auto"}, 3},
  };
  for (const Case& k : cases) {
    k.set();
    EXPECT_EQ(content, k.kind);
    EXPECT_EQ(items(), k.labels) << "kind " << k.kind;
    EXPECT_EQ(choice->value(), k.selected) << "kind " << k.kind;
  }
  // The two kinds without a list of their own leave the choice alone.
  set_content_hex();
  set_content_rasmol();
  EXPECT_EQ(content, 6);
  EXPECT_EQ(items(), (Items{"none", "hex", "auto"}));
  set_content_mbfract();
  EXPECT_EQ(content, 7);
}

// Each kind answers to its own predicate and to no other; the picture kinds answer with their
// frame count.
TEST(Content, EachKindAnswersToItsOwnPredicateOnly) {
  headless_viewer();
  struct Kind {
    void (*set)();
    int kind;
    int (*is)();
  } kinds[] = {
      {set_content_empty, CONTENT_EMPTY, is_content_empty},
      {[] { set_content_image(3); }, CONTENT_IMAGE, is_content_image},
      {[] { set_content_jpeg(4); }, CONTENT_JPEG, is_content_jpeg},
      {set_content_text, CONTENT_TEXT, is_content_text},
      {set_content_html, CONTENT_HTML, is_content_html},
      {set_content_hex, CONTENT_HEX, is_content_hex},
      {set_content_rasmol, CONTENT_RASMOL, is_content_rasmol},
      {set_content_mbfract, CONTENT_MBFRACT, is_content_mbfract},
      {set_content_vglobe, CONTENT_VGLOBE, is_content_vglobe},
      {set_content_pdb, CONTENT_PDB, is_content_pdb},
      {set_content_srtm3, CONTENT_SRTM3, is_content_srtm3},
      {set_content_sdf, CONTENT_SDF, is_content_sdf},
      {set_content_stl, CONTENT_STL, is_content_stl},
  };
  for (const Kind& k : kinds) {
    k.set();
    ASSERT_EQ(content, k.kind);
    for (const Kind& p : kinds) {
      int want = &p != &k ? 0 : k.kind == CONTENT_IMAGE ? 3 : k.kind == CONTENT_JPEG ? 4 : 1;
      EXPECT_EQ(p.is(), want) << "kind " << k.kind << ", predicate of kind " << p.kind;
    }
    EXPECT_EQ(is_content_3d(), k.kind >= CONTENT_PDB) << "kind " << k.kind;
  }
  set_content_empty();
}

TEST(Content, HexViewByKindAndSelection) {
  headless_viewer();
  set_content_hex();
  for (int sel : {0, 1, 2}) {
    set_choice(sel);
    EXPECT_EQ(view_is_hex(), sel > 0) << sel;
  }
  set_choice(2);
  set_content_image(1);
  for (int sel : {0, 1, 2, 3}) {
    set_choice(sel);
    EXPECT_EQ(view_is_hex(), sel == 1) << sel;
  }
  set_choice(3);
  set_content_pdb();
  set_choice(1);
  EXPECT_EQ(view_is_hex(), 1);
  set_choice(3);
  EXPECT_EQ(view_is_hex(), 0);
  set_content_vglobe();
  set_choice(1);  // "moon"
  EXPECT_EQ(view_is_hex(), 0);
  set_choice(0);
  set_content_empty();
  EXPECT_EQ(view_is_hex(), 0);
}

TEST(Content, EachKindRemembersItsLastPick) {
  headless_viewer();
  set_content_image(1);
  set_choice(1);  // "hex" for images
  set_content_vglobe();
  EXPECT_EQ(choice->value(), 0);
  set_content_image(1);  // another picture opens as a hex dump
  EXPECT_EQ(choice->value(), 1);
  EXPECT_EQ(view_is_hex(), 1);
  set_choice(3);
  // A frame count of 0 never counts as a picture and its picks are not kept.
  set_content_image(0);
  EXPECT_EQ(is_content_image(), 0);
  set_choice(1);
  EXPECT_EQ(view_is_hex(), 0);
  set_content_image(1);
  EXPECT_EQ(choice->value(), 3);
  set_content_image(5);
  EXPECT_EQ(is_content_image(), 5);
  set_content_empty();
}

TEST(Content, PicksInTheEmptyListShownOverAKindAreNotStored) {
  headless_viewer();
  set_content_image(1);
  ASSERT_EQ(choice_image, 3);
  show_empty_choices();  // what a failed open leaves
  EXPECT_EQ(content, 1);
  EXPECT_EQ(items(), (Items{"none", "auto"}));
  EXPECT_EQ(choice->value(), 1);
  choice->value(0);
  choice_cb(choice, nullptr);
  choice->value(1);
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_image, 3);  // not "hex": later pictures still open as pictures
  set_content_image(1);
  EXPECT_EQ(choice->value(), 3);
  EXPECT_EQ(view_is_hex(), 0);

  set_content_vglobe();
  show_empty_choices();
  choice->value(1);
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_vglobe, 0);  // not "moon"
  set_content_empty();
  show_empty_choices();  // over the empty kind the list is its own
  choice->value(0);
  choice_cb(choice, nullptr);
  EXPECT_EQ(choice_empty, 0);
  choice_empty = 1;
}

TEST(Content, ASavedKindComesBackWithItsListAndPick) {
  headless_viewer();
  struct Case {
    void (*set)();
  } cases[] = {
      {[] { set_content_image(0); }},  // no images: its picks are not stored
      {[] {
         set_content_jpeg(2);
         choice->value(1);
       }},
      {[] {
         set_content_pdb();
         show_empty_choices();  // a failed open's list over the kind
       }},
      {set_content_vglobe},
  };
  for (const Case& c : cases) {
    c.set();
    int kind = content, images = n_images, jpegs = n_jpeg, picked = get_view_val();
    Items list = items();
    bool over = empty_choices_shown();
    ContentState saved = save_content();
    set_content_text();
    show_hex_choices();
    n_images = n_jpeg = 9;
    restore_content(saved);
    EXPECT_EQ(content, kind);
    EXPECT_EQ(n_images, images);
    EXPECT_EQ(n_jpeg, jpegs);
    EXPECT_EQ(items(), list) << kind;
    EXPECT_EQ(get_view_val(), picked) << kind;
    EXPECT_EQ(empty_choices_shown(), over) << kind;
  }
}
