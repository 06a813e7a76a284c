// The case-file reader on arbitrary bytes: a clear error or a case, never a
// crash. A case that is read must come back whole through the writer.

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
        if (std::string(e.what()).rfind("fuzz.sfcase:", 0) != 0)
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
