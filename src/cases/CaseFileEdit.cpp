#include "CaseFile.h"
#include "CaseFileParts.h"

#include <algorithm>
#include <functional>
#include <utility>
#include <vector>

namespace sf {

using namespace casefile;

std::string replaceMeltSections(std::string_view content, const std::string &fileName, const FieldTexts &texts,
                                const MeltFitRange &meltFit, std::string_view viscosityNote)
{
    const CaseContent before = parseCase(content, fileName);
    // It read once, so it reads again; the positions are those of `content`.
    const std::string safe = readerSafeText(content);
    const toml::table root = toml::parse(std::string_view(safe), std::string_view(fileName));
    const toml::table &melt = *root[groupKey(FieldGroup::Melt)].as_table();

    auto isHeader = [&content](const toml::node &table, std::string_view name) {
        if (!table.source().begin)
            return false;
        std::string_view at = content.substr(offsetOf(content, table.source().begin));
        auto skip = [&at](std::string_view what) {
            while (!at.empty() && isBlank(at.front()))
                at.remove_prefix(1);
            if (at.substr(0, what.size()) != what)
                return false;
            at.remove_prefix(what.size());
            return true;
        };
        return skip("[") && skip(name) && skip("]");
    };
    if (!isHeader(melt, "melt"))
        throw CaseFileError(fileName + ": its melt is not written as a [melt] section, the only form that can be "
                                       "replaced");

    // Byte ranges [begin, end) of whole lines, without the last line break.
    struct Lines {
        std::size_t begin, end;
        std::string_view lineBreak;
    };
    auto lines = [&content](const toml::node &first, std::size_t lastEnd) {
        const std::size_t at = offsetOf(content, first.source().begin);
        const std::size_t newline = content.rfind('\n', at == 0 ? 0 : at - 1);
        Lines r{at == 0 || newline == std::string_view::npos ? 0 : newline + 1, content.size(), "\n"};
        if (const std::size_t end = content.find('\n', lastEnd == 0 ? 0 : lastEnd - 1); end != std::string_view::npos)
            r.end = end;
        if (r.end > r.begin && content[r.end - 1] == '\r')
            --r.end;
        // Its lines end as its first does.
        if (const std::size_t first = content.find('\n', r.begin); first != std::string_view::npos && first > 0 &&
                                                                    content[first - 1] == '\r')
            r.lineBreak = "\r\n";
        return r;
    };
    // The end of the last value in a table, its subtables' included.
    std::function<std::size_t(const toml::node &)> lastEnd = [&](const toml::node &node) {
        std::size_t end = node.source().end ? offsetOf(content, node.source().end) : 0;
        if (const toml::table *t = node.as_table())
            for (auto &&[key, value] : *t)
                end = std::max(end, lastEnd(value));
        return end;
    };

    const toml::node *fitNode = melt.get(FitKey);
    const bool fitApart = fitNode && fitNode->is_table() && isHeader(*fitNode, "melt.fit");
    std::size_t meltEnd = 0;
    for (auto &&[key, value] : melt)
        if (!(fitApart && key.str() == FitKey))
            meltEnd = std::max(meltEnd, lastEnd(value));
    const Lines meltLines = lines(melt, meltEnd);
    std::optional<Lines> fitLines;
    if (fitApart) {
        fitLines = lines(*fitNode, lastEnd(*fitNode));
        if (fitLines->begin < meltLines.end && meltLines.begin < fitLines->end)
            throw CaseFileError(fileName + ": its [melt] and [melt.fit] are entwined; write them one after the other");
    }

    auto withBreaks = [](std::string text, std::string_view lineBreak) {
        text.pop_back(); // the range ends before its last line break
        if (lineBreak == "\n")
            return text;
        std::string out;
        for (const char c : text)
            out += c == '\n' ? std::string(lineBreak) : std::string(1, c);
        return out;
    };
    std::string out(content);
    const std::optional<MeltFitRange> fitWithMelt = fitApart ? std::nullopt : std::optional(meltFit);
    // The later range first, so that the earlier one's offsets still hold.
    std::vector<std::pair<Lines, std::string>> edits{
        {meltLines, withBreaks(formatMeltSections(texts, fitWithMelt, viscosityNote), meltLines.lineBreak)}};
    if (fitLines) {
        std::string table = formatMeltSections(texts, meltFit, {});
        table = table.substr(table.find("\n[") + 1);
        edits.push_back({*fitLines, withBreaks(table, fitLines->lineBreak)});
    }
    std::sort(edits.begin(), edits.end(), [](const auto &a, const auto &b) { return a.first.begin > b.first.begin; });
    for (const auto &[range, text] : edits)
        out.replace(range.begin, range.end - range.begin, text);

    // What it now reads as must be the case with only its melt changed.
    CaseContent expected = before;
    for (const InputField &f : InputFields)
        if (f.group == FieldGroup::Melt)
            expected.texts[f.id] = texts[f.id];
    expected.meltFit = meltFit;
    expected.meltFit->source = wellFormedUtf8(meltFit.source);
    const CaseContent after = parseCase(out, fileName);
    // The study's bytes are kept; only where a bad value of it stands may move.
    auto studyValues = [](std::optional<CaseStudy> study) {
        if (study)
            study->problem = study->problem.empty() ? "" : "bad";
        return study;
    };
    if (after.texts != expected.texts || after.meltFit != expected.meltFit ||
        studyValues(after.study) != studyValues(before.study))
        throw CaseFileError(fileName + ": its melt could not be replaced without changing more");
    return out;
}


} // namespace sf
