// fendrel-cli: the command-line front end over Fendrel's engine.
#include <clocale>
#include <cstdio>
#include <cstring>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "Commands.h"
#include "FendrelVersion.h"
#include "engine/RegExprCaseFlip.h"
#include "platform/CodePage.h"

namespace {

constexpr const char* kUsage = R"usage(Usage:
  fendrel-cli [--encoding=NAME | --bytes] COMMAND ...
  fendrel-cli replace [options] DIR MASK OLD NEW
  fendrel-cli replace [options] --files-from=LIST OLD NEW
  fendrel-cli replace [options] - OLD NEW
  fendrel-cli scan [-r] [--exclude=GLOB]... [--include-vcs] [--no-ignore] [--follow-links]
                   DIR MASK
  fendrel-cli restore [-n] [--exclude=GLOB]... [--include-vcs] [--no-ignore]
                      (PATH... | -r DIR MASK)
  fendrel-cli restore [-n] --run=(last|N) | --list-runs
  fendrel-cli recover DIR
  fendrel-cli regex-dump [--modifiers=M] PATTERN
  fendrel-cli match [--modifiers=M] [--count] PATTERN (SUBJECT | --subject-file FILE)
  fendrel-cli substitute [--modifiers=M] [--literal] PATTERN SUBJECT TEMPLATE
  fendrel-cli checksum FILE
  fendrel-cli container list EXE
  fendrel-cli container extract EXE DIR
  fendrel-cli --help
  fendrel-cli COMMAND --help
  fendrel-cli --version

replace  Lists the files in DIR whose names match MASK ('*' and '?', letters in any case;
         '*.*' matches every name; several apart by ';' or in braces: '*.c;*.h', '*.{c,h}';
         no '/', the directory goes in DIR) and replaces every
         occurrence of OLD by NEW in each, through a temporary file beside it. Prints a line for
         each file changed ("PATH: N replacements") or failed ("PATH: FAILED", the reason on
         standard error); below a relative DIR the paths begin with DIR as typed, and control
         characters in names are shown escaped (\n, \e, \xHH). At a terminal a summary
         follows ("12 files changed, 34 replacements, 1 failed, 2.1 s"). A DIR that is missing
         or no directory, and a regular expression that does not compile ("error 103:
         unmatched parenthesis at position 2"), are usage errors: nothing is touched; a MASK that lists no file is an error
         (status 1). A folder that cannot be read is named on standard error ("PATH: cannot
         read the folder: REASON"); the run goes on over the files listed and ends with
         status 1. Short options may be grouped: -ri is -r -i. With "-" in DIR's place
         replace is a filter: it reads standard input and writes it, replaced, to standard
         output, in every mode (not with -r, -n, --diff or --json).
      --files-from=LIST  work on the files LIST names, one per line, instead of DIR and MASK
                      (LIST "-": standard input), paths taken from the current folder
  -0, --null          with --files-from: the names end with a zero byte, as "git ls-files -z"
                      and "find -print0" write them
  -r, --recursive     also search the subdirectories of DIR
  -i, --ignore-case   compare letters without regard to case; with -e the same as starting
                      the pattern with (?i)
  -w, --word          match OLD only as a whole word: between two \b boundaries (a word
                      letter on one side and none on the other), so it becomes a pattern and
                      only text runs are searched, as with -e
  -e, --regex         OLD is a regular expression and NEW a replacement template ($1, ${12},
                      $& for groups; \ escapes the next character); text runs are searched,
                      what is not text (NUL and other control bytes; in UTF-8 the controls
                      U+0080-U+009F and bytes that begin no valid character, in a single-byte
                      code page the bytes 128-159) is copied unchanged and never matched
      --hex           OLD and NEW are hexadecimal digits, two per byte; blanks and line
                      breaks may separate them, any other character is an error
      --multi-line    OLD and NEW span several lines: each file is searched three times, with
                      the lines joined by CR LF, by LF and by CR
      --exclude=GLOB  leave out every file and folder whose name (not path) matches GLOB,
                      matched as MASK is; a folder left out is not entered; may be given
                      several times
      --include-vcs   also search the version-control folders .git, .hg, .svn, .bzr, _darcs
                      and CVS, which are left out by default (--exclude-vcs: left out)
      --no-ignore     also search what ignore files leave out. By default, in a git work
                      tree (the folder holding .git and everything below it) its
                      .git/info/exclude and the .gitignore files of its folders apply, from
                      the work tree's top down to DIR and below; .ignore files (the same
                      format, over .gitignore in the same folder) apply also outside one. An
                      ignored folder is not entered
      --follow-links  rewrite the file a symbolic link leads to and enter linked folders,
                      but only inside DIR, and for a link of another user only to that
                      user's own files; without it a listed link fails as "is a symbolic
                      link" and linked folders are not entered
      --no-backup     keep no backup (default: the previous file stays as FILE.N.snr_bak)
      --keep-mtime    give each rewritten file its previous modification time (and access
                      time) back; its change time still moves, as no program can set it.
                      Backups keep their own times either way
      --log=MODE      print the result log's lines instead, for the files MODE names:
                      replaced (changed or failed) or all, each as its path, the strings,
                      the result ("N replacements" or "FAILED") and an empty line, and
                      "backup: PATH" for each backup made; none prints no file at all (the
                      backups are made all the same); also --log MODE
      --quiet         print nothing on standard output; the reasons of failures still go to
                      standard error, and the exit status tells how the run went
      --color=WHEN    colour in the difference listing: auto (at a terminal, unless NO_COLOR
                      is set), always or never
  -n, --dry-run       write nothing (no file, no temporary file, no backup) and print what a
                      run would: the same lines with the same counts, in the format asked
                      for; no "backup:" lines, since none is made. Reading changes no access
                      time of a file of your own (as root of any file); of another user's
                      file it may
      --diff          with --dry-run only: print instead a unified difference listing of every
                      file that would change, "--- a/REL" and "+++ b/REL" (REL the path below
                      DIR), three lines of context, so that "patch -p1" run in DIR writes
                      what the run would; a file holding a zero byte gets the line "Binary
                      file REL would change (N replacements)"
      --json          print one JSON object per reported file, on a line of its own:
                      {"path":P,"count":N} or {"path":P,"reason":R} for a failed file or
                      {"path":P,"skipped":true} for one an interrupt left, each with
                      "backup":B when a backup was made. Strings hold UTF-8 as it is; a byte
                      outside valid UTF-8 is written as \udcXX (XX its value), as Python's
                      "surrogateescape" reads it back.

scan     Prints the files in DIR whose names match MASK, subdirectories first; DIR and MASK
         are checked, and --exclude, --include-vcs, --no-ignore and --follow-links applied,
         as for replace. A folder that cannot be read is named on standard error, as for
         replace, and the status is then 1.

restore  Puts back the newest backup (FILE.N.snr_bak, N highest) of each PATH, or with -r of
         every file below DIR whose name matches MASK that has one (a file removed since is
         restored only when named). The content it replaces is kept as a new backup first; a
         named file that no longer exists is made again. Prints for each file "backup: PATH"
         for that new backup, the file's path, "BACKUP --> NAME :", the result ("restored",
         "unchanged" when the file holds the backup's content already, or "FAILED") and an
         empty line. --exclude, --include-vcs and --no-ignore apply as for replace; a named
         PATH is left out only by its name (--exclude, a version-control folder's name). -n
         writes nothing and prints what a restore would. A restore never writes through a
         symbolic link: a file or backup that is one fails.
  --run=N, --run=last  undoes run N of the run journal, or the newest run that can still be
                      undone: every file the run rewrote gets back the content it had before
                      the run (its first backup of that run), also when it changed since.
                      Runs of the window and of replace with backups are recorded (in
                      runs.dat of the window's data directory), and so is every restore, so
                      that --run=last right after a restore undoes it.
      --list-runs     prints the runs that can still be undone, newest first: "N  DATE TIME
                      K files  KIND in FOLDER: WHAT"

recover  Finishes every rewrite in place that a run left unfinished below DIR (it was killed
         while writing into a file with further hard links or another owner): a file that
         holds its complete new content keeps it, any other gets its complete previous
         content back from the copy the run made first. Prints "PATH: WHAT WAS DONE" for
         each, or "nothing to recover". replace and scan do the same for the folders they
         list, and say so on standard error; replace changes nothing when one cannot be
         recovered.

regex-dump  Compiles PATTERN and prints the program: its size and bytes, what the search
         analysis found (anchor character, anchoring, required text, possible first
         characters) and one line per node. M switches modifiers as "(?M)" would: letters
         i r s g m x switch on, after '-' off (e.g. --modifiers=i-s). A pattern that does
         not compile prints "error CODE MESSAGE" and exits with status 1.

match    Searches SUBJECT (or FILE, up to its first zero byte) for every match of PATTERN and
         prints "match K OFFSET LENGTH" (1-based), then "group N OFFSET LENGTH" for each
         group that took part, and finally "matches TOTAL" (only that with --count).

substitute  Replaces every match of PATTERN in SUBJECT by TEMPLATE ($1, ${12}, $&; \ escapes;
         taken as it stands with --literal) and prints "replacements N" and the result.

checksum Prints the 8-digit checksum the container stores for FILE.

container list  Prints one line per entry of the directory of files appended to EXE: index,
         name, offset, size and checksum ("damaged" after an entry that is never extracted).
container extract  Writes every file appended to EXE into DIR under its stored name and prints
         "ok NAME", "mismatch NAME" (written, but its checksum differs) or "failed NAME".

Arguments that begin with '-' (OLD, NEW, PATTERN, SUBJECT, a file name): every command takes
all arguments after -- as they are, e.g.
  fendrel-cli replace . '*.cfg' -- --verbose --quiet
  fendrel-cli match -- -x '-x-'

Instead of a command:
  -h, --help     print this help
      --version  print "fendrel-cli VERSION"

Before the command:
      --encoding=NAME  read text in the code set NAME: UTF-8, Windows-1251 (CP1251) or
                       Windows-1252 (CP1252, Latin-1) instead of the locale's
      --bytes          each byte a character, letters by the Windows-1252 table

Letters compared without regard to case (-i, "(?i)", MASK, GLOB) follow the code set of the
locale named by LC_ALL, LC_CTYPE or LANG (the first that is set): in UTF-8 only A-Z fold (the
C and POSIX locales and no locale count as UTF-8), in CP1251 Cyrillic letters fold by the
Windows-1251 table, in any other by the Windows-1252 table.

Exit status: 0 success, 1 a task or a file failed or the run was interrupted, 2 usage error.
)usage";

// The help of one command: its lines of the usage and its paragraphs; empty for an unknown one.
std::string CommandHelp(const std::string& command) {
  const std::string_view usage = kUsage;
  std::string help = "Usage:\n";
  const std::string synopsis = "  fendrel-cli " + command + " ";
  bool inCommand = false;
  std::string paragraphs;
  for (std::size_t at = 0; at < usage.size();) {
    std::size_t end = usage.find('\n', at);
    end = end == std::string_view::npos ? usage.size() : end + 1;
    const std::string_view line = usage.substr(at, end - at);
    at = end;
    // The usage lines are the first paragraph.
    if (line.starts_with(synopsis) && paragraphs.empty() && !inCommand) help += line;
    // A command's paragraphs begin with its name at the line's start and end where another
    // paragraph begins there.
    if (!line.empty() && line.front() != ' ' && line.front() != '\n')
      inCommand = line.starts_with(command + " ") || line.starts_with(command + "\n");
    if (inCommand) paragraphs += line;
  }
  if (paragraphs.empty()) return {};
  while (paragraphs.ends_with("\n\n"))
    paragraphs.pop_back();
  return help + "\n" + paragraphs;
}

bool AsksForHelp(const std::vector<std::string>& args) {
  for (const std::string& arg : args) {
    if (arg == "--") return false;
    if (arg == "--help" || arg == "-h") return true;
  }
  return false;
}

}  // namespace

int main(int argc, char** argv) {
  const bool localeLoaded = std::setlocale(LC_CTYPE, "") != nullptr;
  fendrel::SelectCaseTable(fendrel::CaseTableFromLocale(localeLoaded));
  bool chosen = false;
  // The code set chosen before the command, over the locale's.
  for (; argc >= 2; --argc, ++argv) {
    const std::string_view option = argv[1];
    std::optional<fendrel::TCaseTable> table;
    if (option == "--bytes") {
      table = fendrel::TCaseTable::Windows1252;
    } else if (option.starts_with("--encoding=")) {
      table = fendrel::CaseTableNamed(option.substr(11));
      if (!table) {
        std::fprintf(stderr,
                     "fendrel-cli: unknown code set %s: UTF-8, Windows-1251 or Windows-1252\n"
                     "Try 'fendrel-cli --help'.\n",
                     argv[1] + 11);
        return fendrel::cli::kExitUsage;
      }
    } else {
      break;
    }
    fendrel::SelectCaseTable(*table);
    chosen = true;
  }
  fendrel::InstallRegExprCaseFlip();

  if (argc >= 2 && (std::strcmp(argv[1], "--help") == 0 || std::strcmp(argv[1], "-h") == 0)) {
    std::fputs(kUsage, stdout);
    std::printf("\nText is read as %s (%s).\n", fendrel::CodeSetName(fendrel::ActiveCaseTable()),
                chosen ? "chosen before the command" : "the locale's code set");
    return fendrel::cli::kExitOk;
  }
  if (argc >= 2 && std::strcmp(argv[1], "--version") == 0) {
    std::printf("fendrel-cli %s\n", fendrel::kFendrelVersion);
    return fendrel::cli::kExitOk;
  }
  const std::string command = argc >= 2 ? argv[1] : "";
  const std::vector<std::string> args(argv + std::min(argc, 2), argv + argc);
  if (AsksForHelp(args)) {
    const std::string help = CommandHelp(command);
    if (!help.empty()) {
      std::fputs(help.c_str(), stdout);
      return fendrel::cli::kExitOk;
    }
  }
  if (command == "replace") return fendrel::cli::ReplaceCommand(args);
  if (command == "scan") return fendrel::cli::ScanCommand(args);
  if (command == "restore") return fendrel::cli::RestoreCommand(args);
  if (command == "recover") return fendrel::cli::RecoverCommand(args);
  if (command == "regex-dump") return fendrel::cli::RegexDumpCommand(args);
  if (command == "match") return fendrel::cli::MatchCommand(args);
  if (command == "substitute") return fendrel::cli::SubstituteCommand(args);
  if (command == "checksum") return fendrel::cli::ChecksumCommand(args);
  if (command == "container") return fendrel::cli::ContainerCommand(args);
  std::fprintf(stderr, "fendrel-cli: %s\nTry 'fendrel-cli --help'.\n",
               command.empty() ? "missing command" : ("unknown command " + command).c_str());
  return fendrel::cli::kExitUsage;
}
