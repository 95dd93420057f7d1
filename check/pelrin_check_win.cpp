// pelrin-check: points at every wordy phrase of a text that the engine knows,
// with its plainer alternates, as prose linters do. A client of the engine's
// public COM interface only.

#include "base/ascii.h"
#include "base/code_page_text_win.h"
#include "base/win_owners.h"
#include "check/engine_client_win.h"
#include "check/file_input_win.h"
#include "check/finding_printer.h"
#include "check/phrase_checker.h"
#include "check/resource_ids.h"
#include "diag/sysex.h"

#include <windows.h>

#include <climits>
#include <cstdio>
#include <new>
#include <string>
#include <vector>

namespace {

using namespace pelrin::check;

constexpr char kUsage[] =
    "usage: pelrin-check [--json] [--no-ignore] [--encoding utf-8|ansi] [FILE...]\n"
    "\n"
    "Points at every wordy phrase the Pelrin engine knows in each FILE (standard\n"
    "input when none is given, or for \"-\") with the plainer alternates it knows:\n"
    "  FILE:LINE:COLUMN: \"phrase as written\" -> \"alternate\", \"alternate\"\n"
    "\"-> (omit)\" means: leave the phrase out. Lines and columns count characters\n"
    "from 1.\n"
    "\n"
    "  --json        print one JSON array of objects with file, line, column,\n"
    "                phrase and alternates\n"
    "  --no-ignore   report the phrases of the user's ignore list too\n"
    "  --encoding    utf-8 (the default; a byte-order mark is skipped) or ansi\n"
    "                (the system's ANSI code page)\n"
    "\n"
    "Words are runs of letters and digits. An apostrophe or a hyphen between two\n"
    "of them joins them into one word (don't, in-order-to), so a phrase never\n"
    "starts or ends inside such a word. A phrase matches without regard to case\n"
    "and across any run of spaces, tabs and line breaks; any other character,\n"
    "a comma or a hyphen as much as a full stop, ends it. A word with a letter\n"
    "beyond ASCII matches no phrase.\n"
    "\n"
    "Exit status: 0 nothing found, 1 phrases found, 2 error.\n";

constexpr char kStandardInputName[] = "<stdin>";

struct Options {
    bool json = false;
    bool noIgnore = false;
    bool ansi = false;
    std::vector<std::wstring> files; // "-" is standard input
};

// Empty when the conversion fails.
std::string Utf8(const std::wstring& text)
{
    std::string utf8;
    static_cast<void>(pelrin::WideToCodePage(text, utf8, CP_UTF8));
    return utf8;
}

// False (with a message) on a command line it cannot follow.
bool ParseArguments(int argc, wchar_t** argv, Options& options, bool& help)
{
    bool filesOnly = false;
    for (int i = 1; i < argc; ++i) {
        const std::wstring argument = argv[i];
        if (filesOnly || argument == L"-" || argument.empty() || argument[0] != L'-') {
            options.files.push_back(argument);
        } else if (argument == L"--") {
            filesOnly = true;
        } else if (argument == L"--json") {
            options.json = true;
        } else if (argument == L"--no-ignore") {
            options.noIgnore = true;
        } else if (argument == L"--help" || argument == L"-h") {
            help = true;
        } else if (argument == L"--encoding" || argument.rfind(L"--encoding=", 0) == 0) {
            std::wstring value;
            if (argument.size() > 10)
                value = argument.substr(11);
            else if (i + 1 < argc)
                value = argv[++i];
            const std::string encoding = Utf8(value);
            if (pelrin::EqualsIgnoringAsciiCase(encoding, "ansi")) {
                options.ansi = true;
            } else if (pelrin::EqualsIgnoringAsciiCase(encoding, "utf-8") ||
                       pelrin::EqualsIgnoringAsciiCase(encoding, "utf8")) {
                options.ansi = false;
            } else {
                std::fprintf(stderr, "pelrin-check: --encoding takes utf-8 or ansi, not \"%s\"\n",
                             encoding.c_str());
                return false;
            }
        } else {
            std::fprintf(stderr, "pelrin-check: unknown option %s\n", Utf8(argument).c_str());
            return false;
        }
    }
    if (options.files.empty())
        options.files.push_back(L"-");
    return true;
}

// How text in the ANSI code page is read: through a table when the code page
// has one byte per character; any other is converted to UTF-8 first.
class AnsiReading {
public:
    AnsiReading() : m_codePage(GetACP())
    {
        CPINFO info{};
        m_singleByte = m_codePage != CP_UTF8 && GetCPInfo(m_codePage, &info) && info.MaxCharSize == 1;
        for (std::size_t i = 0; m_singleByte && i < m_table.size(); ++i) {
            const char byte = static_cast<char>(0x80 + i);
            wchar_t wide = 0;
            m_table[i] = MultiByteToWideChar(m_codePage, 0, &byte, 1, &wide, 1) == 1 ? wide : 0xFFFD;
        }
    }

    // The decoding of `bytes`, which may be replaced by their UTF-8 form.
    // 0, or the Windows error code of the conversion.
    DWORD Prepare(std::string& bytes, Decoding& decoding) const
    {
        if (m_singleByte) {
            decoding.singleByte = &m_table;
            return 0;
        }
        if (m_codePage == CP_UTF8 || bytes.empty())
            return 0;
        if (bytes.size() > INT_MAX)
            return ERROR_NOT_ENOUGH_MEMORY;
        std::wstring wide;
        const HRESULT hr = pelrin::CodePageToWide(bytes, wide, m_codePage);
        if (FAILED(hr))
            return HRESULT_CODE(hr);
        bytes = Utf8(wide);
        return 0;
    }

private:
    UINT m_codePage;
    bool m_singleByte = false;
    SingleByteTable m_table{};
};

void ReportFileError(const std::string& name, const char* what, DWORD error)
{
    const char* const text = error == ERROR_DIRECTORY ? "it is a folder" : pelrin::FormatSystemError(error);
    std::fprintf(stderr, "%s: error: %s: %s\n", name.c_str(), what, text);
}

int Run(const Options& options)
{
    HRESULT fallback = S_FALSE;
    EngineConnection connection;
    const HRESULT created = connection.Open(PELRIN_CHECK_ENGINE_MANIFEST, fallback);
    if (FAILED(created)) {
        std::fprintf(stderr,
                     "pelrin-check: cannot create Pelrin.PelrinEngine.1 (0x%08lX; without registration 0x%08lX).\n"
                     "Register PELRIN.DLL of this program's bitness, or keep PELRIN.DLL and\n"
                     "Pelrin.Engine.manifest of that bitness in this program's folder.\n",
                     static_cast<unsigned long>(created), static_cast<unsigned long>(fallback));
        return 2;
    }
    IPelrinEngine* const engine = connection.Engine();

    std::vector<std::string> ignored;
    if (!options.noIgnore) {
        HRESULT loaded = S_OK;
        const HRESULT listed = ReadIgnoredPhrases(engine, ignored, loaded);
        if (FAILED(listed)) {
            std::fprintf(stderr, "pelrin-check: GetIgnoredPhrases failed (0x%08lX)\n",
                         static_cast<unsigned long>(listed));
            return 2;
        }
        if (loaded != S_OK)
            std::fprintf(stderr,
                         "pelrin-check: warning: the ignore list was not read in full (0x%08lX); "
                         "phrases it lists may be reported\n",
                         static_cast<unsigned long>(loaded));
    }

    EnginePhraseSource source(engine);
    PhraseChecker checker(source, ignored);
    FindingPrinter printer(stdout, options.json);
    const AnsiReading ansi;
    bool failed = false;
    try {
        for (const std::wstring& file : options.files) {
            const std::string name = file == L"-" ? kStandardInputName : Utf8(file);
            std::string bytes;
            Decoding decoding;
            DWORD error = ReadInput(file, bytes);
            if (error != 0) {
                ReportFileError(name, "cannot read", error);
                failed = true;
                continue;
            }
            if (options.ansi && (error = ansi.Prepare(bytes, decoding)) != 0) {
                ReportFileError(name, "cannot convert from the ANSI code page", error);
                failed = true;
                continue;
            }
            const auto bad = checker.Check(bytes, decoding, [&](const Finding& finding) {
                printer.Print(name, finding);
            });
            if (bad) {
                std::fprintf(stderr,
                             "%s:%zu:%zu: error: not UTF-8 (for text in the ANSI code page, use --encoding ansi)\n",
                             name.c_str(), bad->line, bad->column);
                failed = true;
            }
        }
    } catch (const EngineFailure& failure) {
        printer.Finish();
        std::fprintf(stderr, "pelrin-check: the engine failed: %s\n", failure.what());
        return 2;
    }
    printer.Finish();
    if (failed)
        return 2;
    return printer.Count() > 0 ? 1 : 0;
}

} // namespace

int wmain(int argc, wchar_t** argv)
{
    Options options;
    bool help = false;
    if (!ParseArguments(argc, argv, options, help)) {
        std::fputs(kUsage, stderr);
        return 2;
    }
    if (help) {
        std::fputs(kUsage, stdout);
        return 0;
    }
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) {
        std::fputs("pelrin-check: cannot start COM\n", stderr);
        return 2;
    }
    int status = 2;
    try {
        status = Run(options);
    } catch (const std::bad_alloc&) {
        std::fputs("pelrin-check: out of memory\n", stderr);
    }
    CoUninitialize();
    return status;
}
