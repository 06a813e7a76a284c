// The case-file reader on arbitrary bytes: a clear error or a case, never a
// crash. A case that is read, its melt's fit range included, must come back
// whole through the writer. A message stays short however long the input:
// quoted texts are cut at 64 characters (256 bytes at most) and the TOML
// reader's own messages at 511 bytes.

#include "cases/CaseFile.h"

#include <cstdint>
#include <cstdlib>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    const std::string bytes(reinterpret_cast<const char *>(data), size);
    sf::CaseContent read;
    try {
        read = sf::parseCase(bytes, "fuzz.sfcase");
    } catch (const sf::CaseFileError &e) {
        // Every message names the file first.
        const std::string message = e.what();
        if (message.rfind("fuzz.sfcase:", 0) != 0 || message.size() > 1024)
            std::abort();
        return 0;
    }
    try {
        const sf::CaseContent again = sf::parseCase(sf::formatCaseFile(read.texts, read.meltFit), "again.sfcase");
        if (!(again.texts == read.texts && again.meltFit == read.meltFit))
            std::abort();
    } catch (const sf::CaseFileError &) {
        std::abort();
    }
    return 0;
}
