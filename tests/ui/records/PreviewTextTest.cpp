// How a file's preview reads: numbered lines before and after, line ends, tabs and bytes that are
// no text (control bytes, broken UTF-8) marked while UTF-8 letters stay letters, long lines cut
// around each change, and the lines not shown.
#include <gtest/gtest.h>

#include <QTextDocument>

#include "ui/records/PreviewText.h"

namespace fendrel {
namespace {

QString PlainText(const QString& html) {
  QTextDocument document;
  document.setHtml(html);
  return document.toPlainText();
}

TEST(PreviewTextTest, LinesHexAndMore) {
  TFilePreview preview;
  preview.Results = {2};
  THunk hunk;
  hunk.OldLine = 3;
  hunk.NewLine = 4;
  hunk.Old = "a\x01z\xFF \xC3\xBC\r\nnext\n";
  hunk.New = "aXXz\xFF \xC3\xBC\r\nnext!\n";
  hunk.OldMarks = {{1, 2}};
  hunk.NewMarks = {{1, 3}, {14, 15}};
  preview.Lines.Hunks.push_back(hunk);
  // A long line shows a stretch around its change that cuts no character.
  THunk longLine;
  for (int k = 0; k < 400; ++k)
    longLine.Old += "\xF0\x9F\x98\x80";
  longLine.New = longLine.Old;
  longLine.OldMarks = longLine.NewMarks = {{800, 804}};
  preview.Lines.Hunks.push_back(longLine);
  preview.Lines.LinesNotShown = 5;

  const QString english = PlainText(PreviewHtml(preview, 1));
  for (const char* line : {"     3- a[01]z[FF] ü←↓", "     4- next↓", "     4+ a☑XXz[FF] ü←↓",
                           "     5+ next☑!↓", "... 5 more changed lines"})
    EXPECT_TRUE(english.contains(QString::fromUtf8(line))) << line << "\n" << english.toStdString();
  EXPECT_TRUE(PlainText(PreviewHtml(preview, 0)).contains("... 5 weitere"));
  // Each change begins with its tick; an unticked one shows an empty box.
  const QString unticked = PlainText(PreviewHtml(preview, 1, {true, false}));
  EXPECT_TRUE(unticked.contains("     4+ a☑XX") && unticked.contains("     5+ next☐!↓"))
      << unticked.toStdString();
  EXPECT_FALSE(english.contains("[F0]") || english.contains("[80]")) << english.toStdString();
  EXPECT_FALSE(english.contains("UTF-16"));
  preview.Encoding = TTextEncoding::Utf16Be;
  EXPECT_TRUE(
      PlainText(PreviewHtml(preview, 1)).contains("(UTF-16 BE)\nClick ☑ to leave a change out"));

  // Every row of a file's lines stays on screen.
  for (const QString& row : english.split('\n'))
    EXPECT_LE(row.size(), 200) << row.toStdString();

  preview.Results = {-3};
  preview.Reason = "the search failed";
  EXPECT_TRUE(PlainText(PreviewHtml(preview, 1)).startsWith("Failed: the search failed"));
}

// The rows one hunk shows, old lines then new.
QStringList Rows(THunk hunk) {
  TFilePreview preview;
  preview.Results = {1};
  preview.Lines.Hunks.push_back(std::move(hunk));
  QStringList rows = PlainText(PreviewHtml(preview, 1)).split('\n');
  rows.removeAll(" ");
  return rows;
}

// Every change can be seen: what differs only in line ends, tabs, control bytes or characters
// that show nothing of themselves is marked, and a change far into a long line is cut out of it
// onto the screen, with a mark where text was left out.
TEST(PreviewTextTest, EveryChangeIsVisible) {
  const std::string zeros(1000, '\0');
  const std::string hidden = zeros.substr(0, 8);
  const std::string x(60, 'x'), y(1000, 'y'), shownZeros = "[00][00][00][00][00][00]";
  const struct {
    const char* Name;
    THunk Hunk;
    std::vector<std::string> Rows;
  } cases[] = {
      {"CR LF to LF", {1, 1, "a\r\n", "a\n", {{1, 3}}, {{1, 2}}}, {"     1- a←↓", "     1+ a☑↓"}},
      {"tab, bare CR, last line without a break",
       {7, 7, "a\tb\rc", "a b\rc", {{1, 2}}, {{1, 2}}},
       {"     7- a⇥b←c", "     7+ a☑ b←c"}},
      {"control bytes, broken UTF-8, invisible characters",
       {2,
        2,
        "\x01\x7F\xFF\xC3 \xC2\x85\xC2\xA0\xE2\x80\x8B\xC3\xA4\n",
        "- ä\n",
        {{0, 14}},
        {{0, 1}}},
       {"     2- [01][7F][FF][C3] [C2][85][C2][A0][E2][80][8B]ä↓", "     2+ ☑- ä↓"}},
      // Two changes far apart in a binary line, one far to the right: each on a row of its own.
      {"binary line",
       {1,
        1,
        zeros + "AB" + zeros + "CD" + zeros,
        zeros + "XY" + zeros + zeros,
        {{1000, 1002}, {2002, 2004}},
        {{1000, 1002}, {2002, 2002}}},
       {"     1- …" + shownZeros, "AB[00]", "      - …", "CD[00]", "     1+ …" + shownZeros,
        "XY[00]", "      + …", "[00][00]…"}},
      // A long change shows its beginning and its end.
      {"long change",
       {1, 1, x + y + x, x + "z" + x, {{60, 1060}}, {{60, 61}}},
       {"     1- …" + x.substr(36) + y.substr(0, 32) + "…",
        "      - …" + y.substr(0, 32) + x.substr(36) + "…", "     1+ " + x + "☑z" + x}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.Name);
    const QStringList rows = Rows(c.Hunk);
    const QString all = rows.join('\n');
    for (const std::string& row : c.Rows)
      EXPECT_TRUE(all.contains(QString::fromStdString(row))) << row << "\n" << all.toStdString();
    for (const QString& row : rows)
      EXPECT_LE(row.size(), 200) << row.toStdString();
    EXPECT_FALSE(all.contains(QString::fromStdString(hidden))) << "a zero byte shows nothing";
  }
}

}  // namespace
}  // namespace fendrel
