// The 3D rows of the opener: a scene that could not be read changes nothing that is shown (its
// reader has said why on the status line); one that was read sets the 3D kind and the title.
#include <gtest/gtest.h>

#include "open_fixture.h"
#include "view/canvas.h"
#include "view/screen.h"

namespace {

TEST_F(OpenTest, FailedSceneKeepsTitleKindAndPicture) {
  struct {
    const char* good;
    const char* bad;
    int kind;
  } cases[] = {{"ab.stl", "cd.stl", CONTENT_STL},
               {"ab.sdf", "cd.sdf", CONTENT_SDF},
               {"ab.hgt", "cd.hgt", CONTENT_SRTM3},
               {"ab.pdb", "cd.pdb.gz", CONTENT_PDB}};
  for (const auto& c : cases) {
    SCOPED_TRACE(c.good);
    write(c.good, "scene");
    write(c.bad, "damaged scene");
    result = [](const std::string&) { return 0; };
    open(c.good);
    EXPECT_EQ(content, c.kind);
    EXPECT_EQ(title(), c.good);
    long posts = image_posts;
    set_status("the reader's reason");
    result = [](const std::string&) { return 1; };
    open(c.bad);
    EXPECT_EQ(content, c.kind);
    EXPECT_EQ(title(), c.good);
    EXPECT_EQ(status(), "the reader's reason");
    EXPECT_EQ(image_posts, posts);
  }
}

}  // namespace
