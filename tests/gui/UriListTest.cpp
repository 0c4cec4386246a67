// Dropped-file lists: line endings, comments, which URIs are local files, and
// percent-decoding, including the malformed and hostile cases.
#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <vector>

#include "gui/UriList.h"

namespace {

using Items = std::vector<std::string>;

TEST(UriListTest, LinesCommentsAndBlanks) {
  EXPECT_EQ(UriList::Parse("file:///a.wav\r\nfile:///b.wav\r\n"), (Items{"/a.wav", "/b.wav"}));
  EXPECT_EQ(UriList::Parse("file:///a.wav\nfile:///b.wav"), (Items{"/a.wav", "/b.wav"}));
  EXPECT_EQ(UriList::Parse("# dragged from somewhere\r\n\r\nfile:///a.wav\r\n\r\n#file:///c\r\n"),
            Items{"/a.wav"});
  // A trailing NUL from a source that counts it ends the list.
  EXPECT_EQ(UriList::Parse(std::string("file:///a.wav\r\n\0garbage", 24)), Items{"/a.wav"});
  EXPECT_TRUE(UriList::Parse("").empty());
  EXPECT_TRUE(UriList::Parse("\r\n\n# only a comment\r\n").empty());
}

TEST(UriListTest, LocalAndForeignItemsKeepTheirPlaces) {
  const Items items = UriList::Parse(
      "http://example.com/a.wav\r\nfile://localhost/home/u/b.wav\r\nfile://otherhost/c.wav\r\n"
      "FILE:///d.wav\r\nfile:/e.wav\r\nfile://LocalHost/f.wav\r\n");
  EXPECT_EQ(items, (Items{"", "/home/u/b.wav", "", "/d.wav", "/e.wav", "/f.wav"}));

  char host[256] = {};
  ASSERT_EQ(gethostname(host, sizeof host - 1), 0);
  EXPECT_EQ(UriList::LocalPath(std::string("file://") + host + "/g.wav"), "/g.wav");

  // Not paths: no scheme, relative, host without a path.
  EXPECT_EQ(UriList::LocalPath("/plain/path.wav"), "");
  EXPECT_EQ(UriList::LocalPath("file:relative.wav"), "");
  EXPECT_EQ(UriList::LocalPath("file://localhost"), "");
  EXPECT_EQ(UriList::LocalPath("file://"), "");
  EXPECT_EQ(UriList::LocalPath("fil"), "");
}

TEST(UriListTest, PercentDecoding) {
  EXPECT_EQ(UriList::LocalPath("file:///My%20Samples/a%2Bb%25.wav"), "/My Samples/a+b%.wav");
  // UTF-8 bytes, escaped or raw, come through unchanged; hex of either case.
  EXPECT_EQ(UriList::LocalPath("file:///caf%C3%A9/%e2%99%AB.wav"), "/caf\xC3\xA9/\xE2\x99\xAB.wav");
  EXPECT_EQ(UriList::LocalPath("file:///caf\xC3\xA9.wav"), "/caf\xC3\xA9.wav");
  // Malformed escapes stay literal, wherever they stop.
  EXPECT_EQ(UriList::LocalPath("file:///50%.wav"), "/50%.wav");
  EXPECT_EQ(UriList::LocalPath("file:///a%2"), "/a%2");
  EXPECT_EQ(UriList::LocalPath("file:///a%"), "/a%");
  EXPECT_EQ(UriList::LocalPath("file:///a%zz%4"), "/a%zz%4");
  // An escaped slash is part of the name's bytes; an escaped NUL refuses the item.
  EXPECT_EQ(UriList::LocalPath("file:///a%2Fb"), "/a/b");
  EXPECT_EQ(UriList::LocalPath("file:///a%00b.wav"), "");
}

TEST(UriListTest, LongPathsAreNotCut) {
  std::string uri = "file://";
  std::string path;
  for (int i = 0; i < 2000; ++i) {
    uri += "/d%20";
    path += "/d ";
  }
  EXPECT_EQ(UriList::Parse(uri + "\r\n"), Items{path});
}

}  // namespace
