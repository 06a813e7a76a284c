#include "CaseFile.h"
#include "CaseFileParts.h"

#include "calc/InputFields.h"
#include "calc/QuotedText.h"
#include "io/PressureUnit.h"
#include "io/RegularFile.h"

#include <algorithm>
#include <array>
#include <vector>
#include <cerrno>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

namespace sf {

namespace {

using namespace casefile;

// Larger files are no case files; reading them whole would only cost memory.
constexpr std::size_t MaxCaseFileBytes = 1 << 20;
// An edit's read waits this long for a writer in place to finish.
constexpr int CaseLockSeconds = 10;

constexpr std::string_view StudyKey = "study";
constexpr std::string_view StudyKeys[] = {"pressure_unit", "limit", "find", "temperatures", "flow_rate_from",
                                          "flow_rate_to"};
constexpr const char *StudyKeyList = "pressure_unit, limit, find, temperatures, flow_rate_from, flow_rate_to";

// "; did you mean flow_rate?", or the keys the section has.
std::string keyHint(std::string_view key, FieldGroup group)
{
    const std::string closest = closestKey(key);
    if (!closest.empty() && closest.starts_with(std::string(groupKey(group)) + "."))
        return "; did you mean " + closest.substr(groupKey(group).size() + 1) + "?";
    std::string keys;
    for (const InputField &f : InputFields)
        if (f.group == group && f.screen == 0)
            keys += (keys.empty() ? "" : ", ") + std::string(f.key);
    if (group == FieldGroup::Pack)
        keys += ", screens";
    return "; its keys are " + keys;
}

std::string place(const std::string &file, const toml::source_position &p)
{
    return file + ":" + std::to_string(p.line) + ":" + std::to_string(p.column) + ": ";
}

[[noreturn]] void fail(const std::string &file, const toml::source_region &at, const std::string &what)
{
    if (at.begin)
        throw CaseFileError(place(file, at.begin) + what);
    throw CaseFileError(file + ": " + what);
}

std::string typeWanted(Expect expect)
{
    switch (expect) {
    case Expect::WholeNumber:
        return "a whole number or a text";
    case Expect::Text:
        return "a text";
    default:
        return "a number or a text";
    }
}

class CaseReader {
public:
    CaseReader(std::string_view content, const std::string &file) : m_content(content), m_file(file) {}

    CaseContent read()
    {
        guardCaseFile(m_content, m_file);
        const std::string safe = readerSafeText(m_content);
        toml::table root;
        try {
            root = toml::parse(std::string_view(safe), std::string_view(m_file));
        } catch (const toml::parse_error &e) {
            fail(m_file, e.source(), unstoodIn(e.description(), e.source().begin));
        }
        m_texts[Field::SaveFileName] = std::string(DefaultReportFile);

        for (auto &&[key, node] : root) {
            const toml::table *section = node.as_table();
            if (!section)
                fail(m_file, key.source(),
                     shown(key, "'", "'") + " must be in a section: [process], [melt], [pack], [report] or [study]");
            if (key.str() == StudyKey) {
                readStudy(*section);
                continue;
            }
            const auto group = groupNamed(key.str());
            if (!group)
                fail(m_file, key.source(), "unknown section " + shown(key, "[", "]"));
            readSection(*section, *group);
        }
        for (const InputField &f : InputFields) {
            if (f.screen != 0 || f.kind == FieldKind::SaveFileName || m_seen[fieldIndex(f.id)])
                continue;
            const std::string what = "missing key " + keyOfField(f.id);
            const toml::table *section = root[groupKey(f.group)].as_table();
            fail(m_file, section ? section->source() : toml::source_region{}, what);
        }
        return {m_texts, m_fit, m_study};
    }

private:
    // A key as the user wrote it, quoted (quotedText): the reader saw
    // stand-ins for characters beyond ASCII (readerSafeText).
    std::string shown(const toml::key &key, std::string_view open, std::string_view close) const
    {
        std::string_view name = key.str();
        if (name.find("\xEE\x80\x80") != std::string_view::npos)
            name = writtenText(m_content, key.source());
        return quotedText(name, open, close);
    }

    // The reader's message with the character at `at` for the stand-in it
    // quotes (readerSafeText).
    std::string unstoodIn(std::string_view message, const toml::source_position &at) const
    {
        std::string text(message);
        const std::size_t standIn = text.find("\xEE\x80\x80");
        if (standIn == std::string::npos || !at)
            return text;
        const std::size_t i = offsetOf(m_content, at);
        std::size_t n = 1;
        while (i + n < m_content.size() && (static_cast<unsigned char>(m_content[i + n]) & 0xC0) == 0x80)
            ++n;
        if (i < m_content.size() && static_cast<unsigned char>(m_content[i]) >= 0x80)
            text.replace(standIn, 3, m_content.substr(i, n));
        return text;
    }

    static std::optional<FieldGroup> groupNamed(std::string_view name)
    {
        for (FieldGroup g : {FieldGroup::Process, FieldGroup::Pack, FieldGroup::Melt, FieldGroup::Report})
            if (groupKey(g) == name)
                return g;
        return std::nullopt;
    }

    void readSection(const toml::table &section, FieldGroup group)
    {
        for (auto &&[key, node] : section) {
            if (group == FieldGroup::Pack && key.str() == ScreensKey) {
                readScreens(node);
                continue;
            }
            if (group == FieldGroup::Melt && key.str() == FitKey) {
                readMeltFit(node);
                continue;
            }
            const InputField *field = nullptr;
            for (const InputField &f : InputFields)
                if (f.group == group && f.screen == 0 && f.key == key.str())
                    field = &f;
            if (!field)
                fail(m_file, key.source(),
                     "unknown key " + shown(key, "'", "'") + " in [" + std::string(groupKey(group)) + "]" +
                         keyHint(key.str(), group));
            take(*field, node);
        }
    }

    void readScreens(const toml::node &node)
    {
        const toml::array *rows = node.as_array();
        if (!rows)
            fail(m_file, node.source(), "screens must be a list of { mesh = ..., wire = ... } rows");
        if (rows->size() > static_cast<std::size_t>(MaxScreens))
            fail(m_file, (*rows)[static_cast<std::size_t>(MaxScreens)].source(),
                 "at most " + std::to_string(MaxScreens) + " screens");
        for (std::size_t i = 0; i < rows->size(); ++i) {
            const int screen = static_cast<int>(i) + 1;
            const toml::table *row = (*rows)[i].as_table();
            if (!row)
                fail(m_file, (*rows)[i].source(), "screen " + std::to_string(screen) + " must be { mesh = ..., wire = ... }");
            for (auto &&[key, value] : *row) {
                Field field;
                if (key.str() == inputField(meshField(screen)).key)
                    field = meshField(screen);
                else if (key.str() == inputField(wireField(screen)).key)
                    field = wireField(screen);
                else
                    fail(m_file, key.source(),
                         "unknown key " + shown(key, "'", "'") + " in screen " + std::to_string(screen));
                take(inputField(field), value);
            }
        }
    }

    void readMeltFit(const toml::node &node)
    {
        const toml::table *table = node.as_table();
        if (!table)
            fail(m_file, node.source(), "melt.fit must be a table of the fitted points' range");
        MeltFitRange fit;
        struct Number {
            std::string_view key;
            double MeltFitRange::*value;
        };
        static constexpr Number Numbers[] = {
            {"temperature_min", &MeltFitRange::temperatureMin},
            {"temperature_max", &MeltFitRange::temperatureMax},
            {"shear_rate_min", &MeltFitRange::shearRateMin},
            {"shear_rate_max", &MeltFitRange::shearRateMax},
            {"rms_deviation_percent", &MeltFitRange::rmsDeviationPercent},
            {"max_deviation_percent", &MeltFitRange::maxDeviationPercent},
        };
        constexpr std::string_view PointsKey = "points", SourceKey = "source";
        std::size_t seen = 0;
        for (auto &&[key, value] : *table) {
            const std::string name = "melt.fit." + std::string(key.str());
            ++seen;
            if (key.str() == PointsKey) {
                const auto *i = value.as_integer();
                if (!i || i->get() < 1)
                    fail(m_file, value.source(), name + " must be a whole number above 0");
                fit.points = i->get();
            } else if (key.str() == SourceKey) {
                if (!value.is_string())
                    fail(m_file, value.source(), name + " must be a text");
                fit.source = decodeString(writtenText(m_content, value.source()));
            } else {
                const Number *number = nullptr;
                for (const Number &n : Numbers)
                    if (n.key == key.str())
                        number = &n;
                if (!number)
                    fail(m_file, key.source(), "unknown key " + shown(key, "'", "'") + " in [melt.fit]");
                std::optional<double> v;
                if (const auto *i = value.as_integer())
                    v = static_cast<double>(i->get());
                else if (const auto *f = value.as_floating_point(); f && std::isfinite(f->get()))
                    v = f->get();
                if (!v)
                    fail(m_file, value.source(), name + " must be a number");
                fit.*(number->value) = *v;
            }
        }
        if (seen < std::size(Numbers) + 2) {
            std::string missing;
            for (const Number &n : Numbers)
                if (!table->contains(n.key))
                    missing = n.key;
            for (std::string_view key : {PointsKey, SourceKey})
                if (!table->contains(key))
                    missing = key;
            fail(m_file, table->source(), "missing key melt.fit." + missing);
        }
        const char *wrong = !(fit.temperatureMin > -273.0)           ? "temperature_min must be above -273"
                            : !(fit.shearRateMin > 0)                 ? "shear_rate_min must be above 0"
                            : fit.temperatureMin > fit.temperatureMax ? "temperature_min is above temperature_max"
                            : fit.shearRateMin > fit.shearRateMax     ? "shear_rate_min is above shear_rate_max"
                            : fit.rmsDeviationPercent < 0 || fit.maxDeviationPercent < 0
                                ? "deviations cannot be below 0"
                                : nullptr;
        if (wrong)
            fail(m_file, table->source(), "melt.fit: " + std::string(wrong));
        m_fit = std::move(fit);
    }

    // The [study] section. Unknown keys are refused as anywhere else; a
    // value that cannot be taken is the study's problem, left out, so that
    // a window can still open the case and name it.
    void readStudy(const toml::table &table)
    {
        CaseStudy study;
        std::size_t end = 0;
        auto bad = [&](const toml::node &value, const std::string &what) {
            if (study.problem.empty())
                study.problem = place(m_file, value.source().begin) + "study." + what;
        };
        auto number = [](const toml::node &value) -> std::optional<double> {
            if (const auto *i = value.as_integer())
                return static_cast<double>(i->get());
            if (const auto *f = value.as_floating_point(); f && std::isfinite(f->get()))
                return f->get();
            return std::nullopt;
        };
        auto text = [&](const toml::node &value) -> std::optional<std::string> {
            if (!value.is_string())
                return std::nullopt;
            return decodeString(writtenText(m_content, value.source()));
        };
        for (auto &&[key, value] : table) {
            if (value.source().end)
                end = std::max(end, offsetOf(m_content, value.source().end));
            const std::string_view name = key.str();
            if (name == "pressure_unit") {
                const std::optional<std::string> unit = text(value);
                if (unit && pressureUnitNamed(*unit))
                    study.pressureUnit = unit;
                else
                    bad(value, "pressure_unit must be \"kgf/cm2\", \"bar\", \"MPa\" or \"psi\"");
            } else if (name == "limit") {
                study.limit = text(value);
                if (!study.limit || study.limit->empty()) {
                    study.limit.reset();
                    bad(value, "limit must be a text as --limit takes it, such as \"total=60bar\"");
                }
            } else if (name == "find") {
                const std::optional<std::string> find = text(value);
                if (find && fieldOfKey(*find)) {
                    study.find = find;
                } else {
                    const std::string near = find ? closestKey(*find) : std::string();
                    bad(value, "find must be a key of a case, such as \"flow_rate\"" +
                                   (near.empty() ? std::string() : "; did you mean " + near + "?"));
                }
            } else if (name == "temperatures") {
                std::vector<double> list;
                const toml::array *array = value.as_array();
                bool ok = array && !array->empty();
                for (std::size_t i = 0; ok && i < array->size(); ++i) {
                    const std::optional<double> t = number((*array)[i]);
                    ok = t && *t > -273.15;
                    if (ok)
                        list.push_back(*t);
                }
                if (ok)
                    study.temperatures = std::move(list);
                else
                    bad(value, "temperatures must be a list of one or more temperatures above -273.15 ℃, "
                               "such as [195, 210, 225]");
            } else if (name == "flow_rate_from" || name == "flow_rate_to") {
                const std::optional<double> q = number(value);
                if (q && *q > 0)
                    (name == "flow_rate_from" ? study.flowRateFrom : study.flowRateTo) = q;
                else
                    bad(value, std::string(name) + " must be a flow rate above 0 kg/hr");
            } else {
                const std::string near = closestAmong(name, StudyKeys);
                fail(m_file, key.source(),
                     "unknown key " + shown(key, "'", "'") + " in [study]" +
                         (near.empty() ? "; its keys are " + std::string(StudyKeyList) : "; did you mean " + near + "?"));
            }
        }
        if (study.problem.empty() && study.flowRateFrom.has_value() != study.flowRateTo.has_value())
            bad(table, study.flowRateFrom ? "flow_rate_to must be given with flow_rate_from"
                                          : "flow_rate_from must be given with flow_rate_to");
        if (study.problem.empty() && study.flowRateFrom && !(*study.flowRateTo > *study.flowRateFrom))
            bad(*table.get("flow_rate_to"), "flow_rate_to must be above flow_rate_from");
        if (!study.problem.empty()) {
            study.flowRateFrom.reset();
            study.flowRateTo.reset();
        }
        study.written = writtenSection(table, end);
        m_study = std::move(study);
    }

    // The [study] table as written, header to the end of its last value's
    // line; empty when it is not written as a section of its own.
    std::string writtenSection(const toml::table &table, std::size_t lastEnd) const
    {
        if (!table.source().begin)
            return {};
        const std::size_t begin = offsetOf(m_content, table.source().begin);
        std::string_view header = m_content.substr(begin);
        if (header.substr(0, 1) != "[")
            return {};
        std::size_t end = std::max(lastEnd, m_content.find(']', begin) + 1);
        end = std::min(m_content.find('\n', end), m_content.size());
        std::string out(m_content.substr(begin, end - begin));
        if (!out.empty() && out.back() == '\r')
            out.pop_back();
        return out + "\n";
    }

    void take(const InputField &f, const toml::node &node)
    {
        const Expect expect = expectationOf(f);
        std::optional<std::string> text = fieldText(node, expect, m_content);
        if (!text)
            fail(m_file, node.source(), keyOfField(f.id) + " must be " + typeWanted(expect));
        m_texts[f.id] = std::move(*text);
        m_seen[fieldIndex(f.id)] = true;
    }

    std::string_view m_content;
    const std::string &m_file;
    FieldTexts m_texts;
    std::optional<MeltFitRange> m_fit;
    std::optional<CaseStudy> m_study;
    std::array<bool, FieldCount> m_seen{};
};


} // namespace

FieldTexts parseCaseFile(std::string_view content, const std::string &fileName)
{
    return parseCase(content, fileName).texts;
}

FieldTexts readCaseFile(const std::string &path)
{
    return readCase(path).texts;
}

CaseContent parseCase(std::string_view content, const std::string &fileName)
{
    return CaseReader(content, fileName).read();
}

CaseContent readCase(const std::string &path)
{
    return parseCase(readCaseBytes(path), path);
}

// The case file's bytes; under a shared lock with `lockSeconds` above 0.
static std::string caseBytes(const std::string &path, FileStamp &readAs, int lockSeconds)
{
    RegularFileRead r = readRegularFile(path, MaxCaseFileBytes, lockSeconds);
    switch (r.problem) {
    case RegularFileRead::Problem::None:
        readAs = r.stamp;
        return std::move(r.bytes);
    case RegularFileRead::Problem::Directory:
        r.err = EISDIR;
        break;
    case RegularFileRead::Problem::NotRegular:
        throw CaseFileError(path + ": cannot be read: not a regular file");
    case RegularFileRead::Problem::TooLarge:
        throw CaseFileError(path + ": too large for a case file");
    case RegularFileRead::Problem::System:
        if (r.err == EWOULDBLOCK)
            throw CaseFileError(path + ": cannot be read: another program kept it locked for writing");
        break;
    }
    throw CaseFileError(path + ": cannot be read: " + std::strerror(r.err));
}

std::string readCaseBytes(const std::string &path)
{
    FileStamp stamp;
    return caseBytes(path, stamp, 0);
}

std::string readCaseBytes(const std::string &path, FileStamp &readAs)
{
    return caseBytes(path, readAs, CaseLockSeconds);
}


} // namespace sf
