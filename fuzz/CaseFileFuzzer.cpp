// The case-file reader on arbitrary bytes: a clear error or a case, never a
// crash. A case that is read must come back whole through the writer. A
// message stays short however long the input: quoted texts are cut at 64
// characters (256 bytes at most) and the TOML reader's own messages at 511
// bytes.

#include "cases/CaseFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    sf::FieldTexts texts;
    try {
        texts = sf::parseCaseFile(bytes, "fuzz.sfcase");
    } catch (const sf::CaseFileError &e) {
        // Every message names the file first.
        const std::string message = e.what();
        if (message.rfind("fuzz.sfcase:", 0) != 0 || message.size() > 1024)
            std::abort();
        return 0;
    }
    try {
        if (!(sf::parseCaseFile(sf::formatCaseFile(texts), "again.sfcase") == texts))
            std::abort();
    } catch (const sf::CaseFileError &) {
        std::abort();
    }
    return 0;
}
