// The whole Calculate command on arbitrary texts in all 35 fields, run in a
// scratch directory that holds what a hostile user would name: an earlier
// report, named pipes with and without a reader, a socket, a directory and
// links to /dev/full and /dev/null. After every run it checks what must
// always hold, and aborts when something does not:
//  - the dialogs come in one of the allowed sequences, with known texts only;
//  - a run that ends before its report, or fails to open it, changes no
//    file (an earlier report of that name stays byte for byte);
//  - a successful run changes exactly one file, the one named, which then
//    holds a whole report;
//  - no file descriptor is left open, and nothing goes into a pipe.
//
// Input: the field texts Edit1, Edit2, ... one per line; "\" takes the next
// byte as it is, so a field can hold any byte, a line end and NUL included.
// Fields not given keep the worked example's text. A 36th line gives the
// decimal separator (its first byte).

#include "calc/InputFields.h"
#include "run/Calculator.h"
#include "support/FakeHost.h"
#include "support/OpenFiles.h"
#include "support/TempDir.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <string>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <unistd.h>
#include <vector>

namespace {

namespace fs = std::filesystem;
using sf::test::FakeHost;

constexpr const char *EarlierReport = "earlier report\r\n";

// The scratch directory, made once, current only while an input runs:
// libFuzzer reads its corpus and writes its findings relative to the
// directory it was started in. `reader` keeps a reader on "fifo-read".
struct Scratch {
    int outside = ::open(".", O_PATH | O_DIRECTORY | O_CLOEXEC);
    sf::test::ScopedTempCwd cwd;
    int reader = -1;

    Scratch()
    {
        std::ofstream("old.txt", std::ios::binary) << EarlierReport;
        fs::create_directory("dir");
        std::ofstream("dir/old.txt", std::ios::binary) << EarlierReport;
        ::mkfifo("fifo", 0666);
        ::mkfifo("fifo-read", 0666);
        reader = ::open("fifo-read", O_RDONLY | O_NONBLOCK | O_CLOEXEC);
        const int sock = ::socket(AF_UNIX, SOCK_STREAM, 0);
        sockaddr_un address{};
        address.sun_family = AF_UNIX;
        std::snprintf(address.sun_path, sizeof address.sun_path, "sock");
        ::bind(sock, reinterpret_cast<const sockaddr *>(&address), sizeof address);
        ::close(sock);
        fs::create_symlink("/dev/full", "full");
        fs::create_symlink("/dev/null", "null");
        leave();
    }

    void enter() const { fs::current_path(cwd.path()); }
    void leave() const
    {
        if (::fchdir(outside) != 0)
            std::abort();
    }
};

struct Entry {
    fs::file_type type;
    ino_t inode;
    std::string content; // regular files only
    bool operator==(const Entry &) const = default;
};
using Snapshot = std::map<std::string, Entry>;

std::string readAll(const fs::path &file)
{
    std::ifstream in(file, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

void snapshot(const fs::path &dir, Snapshot &into)
{
    for (const fs::directory_entry &e : fs::directory_iterator(dir)) {
        struct stat st;
        if (::lstat(e.path().c_str(), &st) != 0)
            continue;
        const fs::file_type type = e.symlink_status().type();
        into[e.path().string()] = {type, st.st_ino, type == fs::file_type::regular ? readAll(e.path()) : ""};
        if (type == fs::file_type::directory)
            snapshot(e.path(), into);
    }
}

Snapshot snapshot()
{
    Snapshot s;
    snapshot(".", s);
    return s;
}

[[noreturn]] void broken(const char *what, const FakeHost &host)
{
    std::fprintf(stderr, "Calculate broke an invariant: %s\nsave file name: ", what);
    std::fwrite(host.texts[sf::Field::SaveFileName].data(), 1, host.texts[sf::Field::SaveFileName].size(), stderr);
    std::fprintf(stderr, "\ndialogs:\n");
    for (const std::string &e : host.events)
        std::fprintf(stderr, "  %s\n", e.c_str());
    std::abort();
}

// The field texts and separator of one input.
void parse(const std::uint8_t *data, std::size_t size, FakeHost &host, char &separator)
{
    int field = 1;
    std::string text;
    auto endField = [&] {
        if (field <= sf::FieldCount)
            host.set(sf::fieldAt(static_cast<std::size_t>(field - 1)), text);
        else if (field == sf::FieldCount + 1 && !text.empty())
            separator = text[0];
        ++field;
        text.clear();
    };
    for (std::size_t i = 0; i < size; ++i) {
        const char c = static_cast<char>(data[i]);
        if (c == '\\' && i + 1 < size)
            text += static_cast<char>(data[++i]);
        else if (c == '\n')
            endField();
        else
            text += c;
    }
    if (size > 0)
        endField();
}

// Keeps every name inside the scratch directory: no absolute path, no "..".
std::string confined(std::string name)
{
    for (std::size_t at = name.find(".."); at != std::string::npos; at = name.find("..", at))
        name[at + 1] = '_';
    return !name.empty() && name.front() == '/' ? "." + name : name;
}

// As an error box shows a text that is not a number: every byte, a NUL as
// U+FFFD, of the first 64 characters; of a longer text "…" and its length
// after them; then the full stop of the error box.
std::string notANumber(const std::string &text)
{
    std::string shown = "error: '";
    std::size_t characters = 0;
    for (const char c : text) {
        if ((static_cast<unsigned char>(c) & 0xC0) != 0x80)
            ++characters;
        if (characters <= 64)
            shown += c == '\0' ? std::string("\xEF\xBF\xBD") : std::string(1, c);
    }
    const std::string end = characters > 64 ? "…' (" + std::to_string(characters) + " characters)" : "'";
    return shown + end + " は浮動小数点数ではありません.";
}

bool isIoError(const std::string &event)
{
    static const char *const texts[] = {
        "error: ファイルが見つかりません.", "error: ファイル名の指定が間違っています.",
        "error: オープンしたファイルが多すぎます.", "error: ファイルへのアクセスが拒否されました.",
        "error: ディスクがいっぱいです.",
    };
    for (const char *text : texts)
        if (event == text)
            return true;
    const std::string prefix = "error: I/O エラー (";
    if (event.size() <= prefix.size() + 1 || event.compare(0, prefix.size(), prefix) != 0 || event.back() != ')')
        return false;
    for (std::size_t i = prefix.size(); i + 1 < event.size(); ++i)
        if (event[i] < '0' || event[i] > '9')
            return false;
    return true;
}

// An error that ends the run before the report step.
bool isCalculationError(const std::string &event, const FakeHost &host)
{
    for (const char *text : {"error: 0 による浮動小数点数除算.", "error: 不正な浮動小数点数演算命令.",
                             "error: 浮動小数点数のオーバーフロー.", "error: メモリが不足しています."})
        if (event == text)
            return true;
    for (const sf::InputField &f : sf::InputFields)
        if (f.kind == sf::FieldKind::CaseValue && event == notANumber(host.texts[f.id]))
            return true;
    return false;
}

bool isWholeReport(const std::string &bytes)
{
    const std::string head = "\r\n\r\n    Flow Rate (kg/hr)                =  ";
    std::size_t lines = 0;
    for (std::size_t at = bytes.find("\r\n"); at != std::string::npos; at = bytes.find("\r\n", at + 2))
        ++lines;
    // 18 lines and one per screen, 1 to 12.
    return bytes.compare(0, head.size(), head) == 0 && bytes.size() >= 2
        && bytes.compare(bytes.size() - 2, 2, "\r\n") == 0 && lines >= 19 && lines <= 30;
}

// Back to the scratch directory as it was made, for the next input.
void restore(const Snapshot &made, const Snapshot &now)
{
    for (const auto &[path, entry] : now) {
        const auto was = made.find(path);
        if (was == made.end())
            fs::remove(path);
        else if (!(was->second == entry))
            std::ofstream(path, std::ios::binary | std::ios::trunc) << was->second.content;
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    static Scratch scratch;
    scratch.enter();
    static const Snapshot made = snapshot();

    FakeHost host;
    char separator = '.';
    parse(data, size, host, separator);
    host.set(sf::Field::SaveFileName, confined(host.texts[sf::Field::SaveFileName]));

    const long openFiles = sf::test::openFileCount();
    sf::Calculator calculator;
    calculator.setDecimalSeparator(separator);
    calculator.Calculate(host);
    const Snapshot after = snapshot();
    const std::string &name = calculator.ReportFileName().str();

    if (sf::test::openFileCount() != openFiles)
        broken("a file descriptor was left open", host);
    char byte;
    if (::read(scratch.reader, &byte, 1) > 0)
        broken("something went into a pipe", host);

    const std::vector<std::string> &events = host.events;
    if (events == std::vector<std::string>{"finished", "refresh"}) {
        if (name.find('\0') != std::string::npos)
            broken("a name with a NUL was written", host);
        struct stat st;
        if (::stat(name.c_str(), &st) != 0 || !(S_ISREG(st.st_mode) || S_ISCHR(st.st_mode)))
            broken("success, but the report is no file", host);
        for (const auto &[path, entry] : after) {
            const auto was = made.find(path);
            const bool changed = was == made.end() || !(was->second == entry);
            if (changed && !(S_ISREG(st.st_mode) && entry.inode == st.st_ino && isWholeReport(entry.content)))
                broken("success, but some other file changed, or the report is not whole", host);
        }
    } else {
        if (events.size() != 1)
            broken("a dialog sequence that is not allowed", host);
        const std::string &e = events[0];
        const bool beforeReport = e == "message: <Number of Screens> is not correct!"
            || e == "message: Number of screen data set is not enough!" || isCalculationError(e, host);
        if (!beforeReport && e != "message: File can not open!" && !isIoError(e))
            broken("an unknown dialog text", host);
        if (beforeReport && !name.empty())
            broken("the name was taken by a run that ended before its report", host);
        if (after != made)
            broken("a run without a report changed a file", host);
    }
    restore(made, after);
    scratch.leave();
    return 0;
}
