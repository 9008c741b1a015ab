// How a file's preview reads: numbered lines before and after, bytes that are no text (control
// bytes, broken UTF-8) as hex while UTF-8 letters stay letters, and the lines not shown.
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
  for (const char* line : {"     3- a[01]z[FF] ü", "     4- next", "     4+ aXXz[FF] ü",
                           "     5+ next!", "... 5 more changed lines"})
    EXPECT_TRUE(english.contains(QString::fromUtf8(line))) << line << "\n" << english.toStdString();
  EXPECT_TRUE(PlainText(PreviewHtml(preview, 0)).contains("... 5 weitere"));
  EXPECT_FALSE(english.contains("[F0]") || english.contains("[80]")) << english.toStdString();
  EXPECT_FALSE(english.contains("UTF-16"));
  preview.Encoding = TTextEncoding::Utf16Be;
  EXPECT_TRUE(PlainText(PreviewHtml(preview, 1)).contains("(UTF-16 BE)\n     3- a[01]z[FF] ü"));

  preview.Results = {-3};
  preview.Reason = "the search failed";
  EXPECT_TRUE(PlainText(PreviewHtml(preview, 1)).startsWith("Failed: the search failed"));
}

}  // namespace
}  // namespace fendrel
