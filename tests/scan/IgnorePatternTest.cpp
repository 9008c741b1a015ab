// One ignore-file line against one path: a table of what each form of pattern matches, and the
// same table put to the real git, which must agree with it.
#include "scan/IgnorePattern.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "support/RunGit.h"
#include "support/TempDir.h"

namespace fendrel {
namespace {

enum class TMatch { No, Ignores, Reincludes };

struct TCase {
  const char* Line;
  const char* Path;  // below the ignore file's folder
  bool Folder;
  TMatch Expected;
};

constexpr bool kFile = false;
constexpr bool kFolder = true;
using enum TMatch;

const TCase kCases[] = {
    // A name matches at any depth, folders and files alike.
    {"foo", "foo", kFile, Ignores},
    {"foo", "a/b/foo", kFile, Ignores},
    {"foo", "foo", kFolder, Ignores},
    {"foo", "foobar", kFile, No},
    {"Foo", "foo", kFile, No},
    // A trailing '/' takes folders only.
    {"foo/", "foo", kFile, No},
    {"foo/", "a/foo", kFolder, Ignores},
    {"a/b/", "a/b", kFolder, Ignores},
    // A '/' at the start or in the middle ties the pattern to the file's folder.
    {"/foo", "foo", kFile, Ignores},
    {"/foo", "a/foo", kFile, No},
    {"a/b", "a/b", kFile, Ignores},
    {"a/b", "x/a/b", kFile, No},
    {"*/x", "a/x", kFile, Ignores},
    {"*/x", "a/b/x", kFile, No},
    // '*', '?' and brackets never match a '/'.
    {"*.o", "x.o", kFile, Ignores},
    {"*.o", "d/e/x.o", kFile, Ignores},
    {"*", ".hidden", kFile, Ignores},
    {"doc/*.txt", "doc/x.txt", kFile, Ignores},
    {"doc/*.txt", "doc/sub/x.txt", kFile, No},
    {"a?c", "abc", kFile, Ignores},
    {"x/a?c", "x/a/c", kFile, No},
    {"a[/]b", "a/b", kFile, No},
    {"lib*", "library", kFile, Ignores},
    {"a*b*c", "aXbYbZc", kFile, Ignores},
    {"a*b*c", "aXbYcZ", kFile, No},
    // Bracket expressions: ranges, negation both ways, ']' first, '-' last, named classes.
    {"[a-c]x", "bx", kFile, Ignores},
    {"[a-c]x", "dx", kFile, No},
    {"[!a-c]x", "dx", kFile, Ignores},
    {"[^a]w", "bw", kFile, Ignores},
    {"[]]x", "]x", kFile, Ignores},
    {"[a-]y", "-y", kFile, Ignores},
    {"[[:digit:]]d", "1d", kFile, Ignores},
    {"[[:upper:][:digit:]]u", "Qu", kFile, Ignores},
    {"[\\]]e", "]e", kFile, Ignores},
    // A pattern the format cannot make sense of matches nothing.
    {"x[ab", "x[ab", kFile, No},
    {"x[ab", "xa", kFile, No},
    {"[[:nope:]]", "n", kFile, No},
    {"back\\", "back\\", kFile, No},
    // "**" as a whole segment: any number of folders; elsewhere one '*'.
    {"**/foo", "foo", kFile, Ignores},
    {"**/foo", "a/b/foo", kFile, Ignores},
    {"**/foo", "afoo", kFile, No},
    {"**/foo/bar", "x/foo/bar", kFile, Ignores},
    {"**/foo/bar", "foo/bar", kFile, Ignores},
    {"abc/**", "abc/x/y", kFile, Ignores},
    {"abc/**", "abc", kFolder, No},
    {"a/**/b", "a/b", kFile, Ignores},
    {"a/**/b", "a/x/y/b", kFile, Ignores},
    {"a/**/b", "a/xb", kFile, No},
    {"**foo", "zfoo", kFile, Ignores},
    {"q**r", "qzr", kFile, Ignores},
    {"q**r", "q/r", kFile, No},
    // Escapes, spaces and comments.
    {"\\#h", "#h", kFile, Ignores},
    {"\\!b", "!b", kFile, Ignores},
    {"a\\*", "a*", kFile, Ignores},
    {"sp\\ ", "sp ", kFile, Ignores},
    {"tr   ", "tr", kFile, Ignores},
    {"b\\\\ ", "b\\", kFile, Ignores},
    {"#c", "#c", kFile, No},
    {"", "x", kFile, No},
    // A leading '!' re-includes.
    {"!foo", "foo", kFile, Reincludes},
    {"!", "!", kFile, No},
};

TMatch Match(const TCase& c) {
  const auto pattern = TIgnorePattern::Parse(c.Line);
  if (!pattern || !pattern->Matches(c.Path, c.Folder)) return TMatch::No;
  return pattern->Negated() ? TMatch::Reincludes : TMatch::Ignores;
}

TEST(IgnorePattern, Table) {
  for (const TCase& c : kCases)
    EXPECT_EQ(Match(c), c.Expected) << "'" << c.Line << "' against " << c.Path;
}

TEST(IgnorePattern, FileText) {
  // A byte-order mark, CR LF line ends, comments, blank lines; the last matching line decides.
  const std::vector<TIgnorePattern> patterns =
      ParseIgnoreText("\xEF\xBB\xBF*.log\r\n# keep this one\r\n\r\n!keep.log\r\nkeep.log/\n");
  ASSERT_EQ(patterns.size(), 3u);
  const struct {
    const char* Path;
    bool Folder;
    std::optional<bool> Verdict;
  } cases[] = {
      {"a.log", kFile, true},
      {"keep.log", kFile, false},
      {"keep.log", kFolder, true},
      {"a.txt", kFile, std::nullopt},
  };
  for (const auto& c : cases)
    EXPECT_EQ(IgnoreVerdict(patterns, c.Path, c.Folder), c.Verdict) << c.Path;
  EXPECT_TRUE(ParseIgnoreText("").empty());
  EXPECT_EQ(ParseIgnoreText("a\nb").size(), 2u);  // no line end after the last line
}

// Every case of the table written into a real repository, one folder per case with the line as
// its .gitignore, and asked of `git check-ignore`. git judges a path also by the folders it lies
// in, so our answer for a case is the pattern's for the path or, unless it re-includes, for
// one of the path's folders.
TEST(IgnorePattern, AgreesWithGit) {
  if (!test::GitInstalled()) GTEST_SKIP() << "git is not installed";
  test::TTempDir repo;
  ASSERT_EQ(test::RunGit(repo.Path(), {"init", "-q"}).Status, 0);
  std::string paths;
  std::vector<bool> ours;
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const TCase& c = kCases[i];
    const std::string folder = "c" + std::to_string(i);
    const std::string path = folder + "/" + c.Path;
    test::MakeDir(repo / path.substr(0, path.rfind('/')));
    test::WriteFile(repo / (folder + "/.gitignore"), std::string(c.Line) + "\n");
    if (c.Folder)
      test::MakeDir(repo / path);
    else
      test::WriteFile(repo / path, "");
    paths += path + '\0';

    const std::string below = c.Path;
    const auto pattern = TIgnorePattern::Parse(c.Line);
    bool matched = Match(c) != TMatch::No;
    for (std::size_t slash = below.find('/');
         pattern && !pattern->Negated() && slash != std::string::npos;
         slash = below.find('/', slash + 1))
      matched = matched || pattern->Matches(below.substr(0, slash), kFolder);
    ours.push_back(matched);
  }
  // Four fields a path: the file and line of the deciding pattern (empty when none), the
  // pattern, the path.
  const test::TRun git =
      test::RunGit(repo.Path(), {"check-ignore", "--no-index", "--stdin", "-z", "-v", "-n"}, paths);
  const std::vector<std::string> fields = test::SplitNul(git.Out);
  ASSERT_EQ(fields.size(), 4 * std::size(kCases)) << git.Out;
  for (std::size_t i = 0; i < std::size(kCases); ++i) {
    const bool gitMatched = !fields[4 * i].empty();
    EXPECT_EQ(ours[i], gitMatched) << "'" << kCases[i].Line << "' against " << kCases[i].Path
                                   << " (git: " << fields[4 * i + 2] << ")";
  }
}

}  // namespace
}  // namespace fendrel
