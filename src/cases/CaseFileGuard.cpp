#include "CaseFileParts.h"

#include <string>

namespace sf::casefile {

namespace {

// A case file's keys have two parts at most ("pack.count") and it nests two
// levels deep ("screens = [{ ... }]", "[[pack.screens]]"). The limits leave
// room for any hand-written file, and keep the reader far from the end of
// its stack: it spends a level of recursion on each part of a dotted key
// (some 31,000 parts overflow a stack of 8 MiB), and its own nesting
// limit is 256.
constexpr int MaxKeyParts = 8;
constexpr int MaxNesting = 16;

bool isBareKeyCharacter(char c)
{
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == '_' || c == '-';
}

// What the reader is not to see, named before it reads: a character beyond
// ASCII outside quotes and comments, where TOML allows none (the reader
// would only say that it did not expect U+E000); a dotted key of more than
// MaxKeyParts parts; more than MaxNesting levels of brackets and braces.
// Dots are counted along a run of bare words, quoted texts, blanks and
// dots: in a value such a run holds one dot at most (1.5), so a longer one
// is refused whether or not the reader would take it for a key.
class ReaderGuard {
public:
    ReaderGuard(std::string_view content, const std::string &file) : m_s(content), m_file(file) {}

    void run()
    {
        if (m_s.substr(0, 3) == "\xEF\xBB\xBF")
            m_i = 3; // a byte-order mark
        while (m_i < m_s.size()) {
            const char c = m_s[m_i];
            if (c == '"' || c == '\'') {
                string(c);
                continue; // a quoted part of a key
            }
            if (c == '.') {
                if (++m_dots >= MaxKeyParts)
                    refuse("more than " + std::to_string(MaxKeyParts) +
                           " dotted parts in a key: a case file's keys have 2 at most");
            } else if (!isBareKeyCharacter(c) && c != ' ' && c != '\t') {
                m_dots = 0;
            }
            if (c == '[' || c == '{') {
                if (++m_depth > MaxNesting)
                    refuse("more than " + std::to_string(MaxNesting) +
                           " levels of [ ] and { }: a case file nests 2 deep at most");
            } else if ((c == ']' || c == '}') && m_depth > 0) {
                --m_depth;
            }
            if (c == '#') {
                while (m_i < m_s.size() && m_s[m_i] != '\n')
                    advance();
            } else if (static_cast<unsigned char>(c) >= 0x80) {
                refuse("only ASCII may stand outside quotes and comments");
            } else {
                advance();
            }
        }
    }

private:
    [[noreturn]] void refuse(const std::string &why) const
    {
        throw CaseFileError(m_file + ":" + std::to_string(m_line) + ":" + std::to_string(m_column) + ": " + why);
    }

    bool at(std::string_view text) const { return m_s.substr(m_i, text.size()) == text; }

    // Columns count characters, as the reader's own messages do.
    void advance()
    {
        if (m_s[m_i] == '\n') {
            ++m_line;
            m_column = 1;
        } else if ((static_cast<unsigned char>(m_s[m_i]) & 0xC0) != 0x80) {
            ++m_column;
        }
        ++m_i;
    }

    void string(char quote)
    {
        const std::string triple(3, quote);
        const bool multiLine = at(triple);
        for (int k = 0; k < (multiLine ? 3 : 1); ++k)
            advance();
        while (m_i < m_s.size()) {
            const char c = m_s[m_i];
            if (!multiLine && c == '\n')
                return; // unterminated: the reader says so
            if (c == quote && (!multiLine || at(triple))) {
                // A closing triple may follow up to two quotes of the text.
                for (std::size_t quotes = 0; m_i < m_s.size() && m_s[m_i] == quote && quotes < (multiLine ? 5u : 1u);
                     ++quotes)
                    advance();
                return;
            }
            if (c == '\\' && quote == '"' && m_i + 1 < m_s.size() && m_s[m_i + 1] != '\n')
                advance(); // the escaped character is part of the text
            advance();
        }
    }

    std::string_view m_s;
    const std::string &m_file;
    std::size_t m_i = 0;
    std::size_t m_line = 1;
    std::size_t m_column = 1;
    int m_dots = 0;  // along the current run (see above)
    int m_depth = 0; // brackets and braces open here
};


} // namespace

void guardCaseFile(std::string_view content, const std::string &file)
{
    ReaderGuard(content, file).run();
}

} // namespace sf::casefile
