// The fetcher of fixture packages, with apt-get (and sudo) replaced by scripts that play apt with
// package lists cleaned after an install: a download fails until the lists are renewed.
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>

#include "support/image_fixtures.h"
#include "support/temp_dir.h"

namespace {

std::string script() {
  const char* src = getenv("SUNCALC_SOURCE_DIR");
  return std::string(src && *src ? src : ".") + "/tests/scene3d/debian_packages.sh";
}

TEST(DebianPackages, ListsAreRenewedOnceBeforeAPackageIsGivenUp) {
  TempDir tmp("suncalc-debfix-");
  ASSERT_FALSE(tmp.path.empty());
  const std::string d = tmp.path;
  // A package of one file, and an apt that serves it (only once its lists are renewed).
  ASSERT_EQ(sh("mkdir -p " + d + "/pkg/DEBIAN " + d + "/pkg/usr/share/probe " + d + "/bin && " +
               "printf 'Package: probe\\nVersion: 1\\nArchitecture: all\\nMaintainer: t <t@t>\\n" +
               "Description: t\\n' > " + d + "/pkg/DEBIAN/control && echo inside > " + d +
               "/pkg/usr/share/probe/file && dpkg-deb -b " + d + "/pkg " + d +
               "/probe_1_all.deb >/dev/null"),
            0);
  // apt-get as the script calls it: "download -qq <name>" or "update -qq ...".
  std::string apt = "#!/bin/sh\necho \"$*\" >> " + d + "/log\ncase $1 in\n" + "  update) [ -f " +
                    d + "/broken ] || touch " + d + "/updated ;;\n" + "  download) [ -f " + d +
                    "/updated ] && [ $3 != missing ] && cp " + d + "/probe_1_all.deb . ;;\nesac\n";
  write_file(d + "/bin/apt-get", Bytes(apt.begin(), apt.end()));
  const std::string sudo = "#!/bin/sh\n[ \"$1\" = -n ] && shift\nexec \"$@\"\n";
  write_file(d + "/bin/sudo", Bytes(sudo.begin(), sudo.end()));
  ASSERT_EQ(sh("chmod +x " + d + "/bin/apt-get " + d + "/bin/sudo"), 0);
  auto run = [&](const std::string& packages) {
    sh("rm -f " + d + "/log");
    return sh("PATH=" + d + "/bin:$PATH sh " + script() + " " + d + "/out " + packages +
              " 2>/dev/null");
  };
  auto log = [&] { return sh_out("tr '\\n' '|' < " + d + "/log 2>/dev/null"); };
  const std::string update = "update -qq -o DPkg::Lock::Timeout=120|";

  sh("touch " + d + "/broken");
  EXPECT_NE(run("probe"), 0) << "lists that cannot be renewed";
  EXPECT_EQ(log(), "download -qq probe|" + update + "download -qq probe|");

  sh("rm " + d + "/broken");
  EXPECT_EQ(run("probe"), 0) << "lists renewed";
  EXPECT_EQ(log(), "download -qq probe|" + update + "download -qq probe|");
  EXPECT_EQ(sh_out("cat " + d + "/out/usr/share/probe/file"), "inside\n");

  EXPECT_EQ(run("probe"), 0) << "unpacked already";
  EXPECT_EQ(log(), "");

  // One renewal a run: a package still missing after it is not worth a second.
  sh("rm " + d + "/updated");
  EXPECT_NE(run("other missing"), 0);
  EXPECT_EQ(log(), "download -qq other|" + update +
                       "download -qq other|download -qq missing|download -qq missing|");
}

}  // namespace
