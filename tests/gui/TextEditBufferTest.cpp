#include <gtest/gtest.h>

#include <string>

#include "gui/TextEditBuffer.h"

TEST(TextEditBuffer, TypingReplacesTheSelectionOrInsertsAtTheCaret) {
  TextEditBuffer buffer;
  buffer.SetText("1.00 x", true);
  EXPECT_EQ(buffer.SelectionStart(), 0);
  EXPECT_EQ(buffer.SelectionEnd(), 6);
  EXPECT_EQ(buffer.Caret(), 6);

  EXPECT_TRUE(buffer.Insert("0"));
  EXPECT_TRUE(buffer.Insert(".5"));
  EXPECT_EQ(buffer.Text(), "0.5");
  EXPECT_FALSE(buffer.HasSelection());

  buffer.PlaceCaret(1, false);
  EXPECT_TRUE(buffer.Insert("7"));
  EXPECT_EQ(buffer.Text(), "07.5");
  EXPECT_EQ(buffer.Caret(), 2);

  // Without selectAll the caret sits at the end with nothing selected.
  buffer.SetText("abc", false);
  EXPECT_FALSE(buffer.HasSelection());
  buffer.Insert("d");
  EXPECT_EQ(buffer.Text(), "abcd");
}

TEST(TextEditBuffer, BackspaceAndDeleteTakeTheSelectionOrOneNeighbour) {
  TextEditBuffer buffer;
  buffer.SetText("abcdef", false);
  buffer.PlaceCaret(3, false);
  EXPECT_TRUE(buffer.Backspace());
  EXPECT_EQ(buffer.Text(), "abdef");
  EXPECT_EQ(buffer.Caret(), 2);
  EXPECT_TRUE(buffer.Delete());
  EXPECT_EQ(buffer.Text(), "abef");
  EXPECT_EQ(buffer.Caret(), 2);

  // A selection goes whole, whichever way it was made.
  buffer.PlaceCaret(3, false);
  buffer.PlaceCaret(1, true);
  EXPECT_TRUE(buffer.Delete());
  EXPECT_EQ(buffer.Text(), "af");
  EXPECT_EQ(buffer.Caret(), 1);

  // Nothing to take at the ends.
  buffer.MoveHome(false);
  EXPECT_FALSE(buffer.Backspace());
  buffer.MoveEnd(false);
  EXPECT_FALSE(buffer.Delete());
  EXPECT_EQ(buffer.Text(), "af");

  buffer.SetText("", true);
  EXPECT_FALSE(buffer.Backspace());
  EXPECT_FALSE(buffer.Delete());
}

TEST(TextEditBuffer, CaretMovesCollapseOrExtendTheSelection) {
  TextEditBuffer buffer;
  buffer.SetText("hello", true);
  buffer.MoveLeft(false);  // collapses to the start, no step past it
  EXPECT_EQ(buffer.Caret(), 0);
  EXPECT_FALSE(buffer.HasSelection());

  buffer.SelectAll();
  buffer.MoveRight(false);
  EXPECT_EQ(buffer.Caret(), 5);
  EXPECT_FALSE(buffer.HasSelection());

  buffer.MoveLeft(true);
  buffer.MoveLeft(true);
  EXPECT_EQ(buffer.SelectionStart(), 3);
  EXPECT_EQ(buffer.SelectionEnd(), 5);
  EXPECT_EQ(buffer.Anchor(), 5);
  buffer.MoveHome(true);
  EXPECT_EQ(buffer.SelectionStart(), 0);
  EXPECT_EQ(buffer.SelectionEnd(), 5);

  buffer.MoveEnd(false);
  buffer.MoveRight(false);  // stays at the end
  EXPECT_EQ(buffer.Caret(), 5);
  buffer.PlaceCaret(99, false);
  EXPECT_EQ(buffer.Caret(), 5);
  buffer.PlaceCaret(-3, true);
  EXPECT_EQ(buffer.Caret(), 0);
  EXPECT_EQ(buffer.SelectionEnd(), 5);
}

TEST(TextEditBuffer, LengthStaysWithinTheLimit) {
  TextEditBuffer buffer(5);
  buffer.SetText("abcdefgh", false);
  EXPECT_EQ(buffer.Text(), "abcde");

  // Full: typing changes nothing, but still replaces a selection.
  EXPECT_FALSE(buffer.Insert("x"));
  buffer.PlaceCaret(1, false);
  buffer.PlaceCaret(3, true);
  EXPECT_TRUE(buffer.Insert("WXYZ"));
  EXPECT_EQ(buffer.Text(), "aWXde");

  TextEditBuffer standard;
  EXPECT_EQ(standard.MaxLength(), 1000);
  standard.SetText(std::string(999, '9'), false);
  EXPECT_TRUE(standard.Insert("12"));
  EXPECT_EQ(standard.Length(), 1000);
  EXPECT_EQ(standard.Text().back(), '1');
}

TEST(TextEditBuffer, PositionsCountCodePointsNotBytes) {
  TextEditBuffer buffer;
  buffer.SetText("a\xC3\xA9\xE2\x82\xAC", false);  // a, e acute, euro sign
  EXPECT_EQ(buffer.Length(), 3);
  EXPECT_EQ(buffer.Range(1, 2), "\xC3\xA9");
  EXPECT_TRUE(buffer.Backspace());
  EXPECT_EQ(buffer.Text(), "a\xC3\xA9");
  EXPECT_TRUE(buffer.InsertCodePoint(U'\U0001F600'));
  EXPECT_EQ(buffer.Text(), "a\xC3\xA9\xF0\x9F\x98\x80");
  EXPECT_EQ(buffer.Length(), 3);

  // Malformed bytes become U+FFFD, one each; nothing is lost silently.
  buffer.SetText("x\xFFy\xE2\x82", false);
  EXPECT_EQ(buffer.Text(), "x\xEF\xBF\xBDy\xEF\xBF\xBD");
}

TEST(TextEditBuffer, ControlCharactersNeverEnterTheLine) {
  TextEditBuffer buffer;
  buffer.SetText("", false);
  EXPECT_FALSE(buffer.Insert("\r\n\t\x7F"));
  EXPECT_TRUE(buffer.Insert("1\n2"));
  EXPECT_EQ(buffer.Text(), "12");
  buffer.SetText("a\tb\nc", false);
  EXPECT_EQ(buffer.Text(), "a b c");
}
