#include "Common.h"

#include "cases/CaseFile.h"
#include "export/FileSink.h"
#include "io/WholeFile.h"
#include "calc/InputFields.h"
#include "run/CaseRun.h"
#include "run/Limit.h"
#include "run/Solve.h"

#include <cstdint>
#include <filesystem>
#include <iostream>
#include <langinfo.h>
#include <locale.h>

namespace sf {

void complain(const std::string &message)
{
    std::cerr << message << '\n';
}

char localeSeparator()
{
    locale_t locale = ::newlocale(LC_NUMERIC_MASK, "", static_cast<locale_t>(nullptr));
    if (!locale)
        return '.';
    const char *point = ::nl_langinfo_l(RADIXCHAR, locale);
    const char c = (point && point[0] && !point[1]) ? point[0] : '.';
    ::freelocale(locale);
    return usableSeparator(c);
}

Paper paperOfLocale(const char *name)
{
    locale_t locale = ::newlocale(LC_PAPER_MASK, name, static_cast<locale_t>(nullptr));
    if (!locale)
        return Paper::A4;
    // glibc gives the size in millimetres as a word in the pointer's place
    // (a union of the two), as its `locale` program reads it.
    auto word = [locale](nl_item item) {
        return static_cast<unsigned>(reinterpret_cast<std::uintptr_t>(::nl_langinfo_l(item, locale)));
    };
    const unsigned width = word(_NL_PAPER_WIDTH), height = word(_NL_PAPER_HEIGHT);
    ::freelocale(locale);
    return width == 216 && height == 279 ? Paper::Letter : Paper::A4;
}

Paper localePaper()
{
    return paperOfLocale("");
}

std::optional<char> separatorArgument(const std::optional<std::string> &given)
{
    if (!given)
        return localeSeparator();
    if (given->size() != 1 || usableSeparator((*given)[0]) != (*given)[0]) {
        complain("--decimal-separator: one character that is no digit, sign, blank or exponent letter, such as . or ,");
        return std::nullopt;
    }
    return (*given)[0];
}

std::optional<std::string> studyProblem(const std::string &path, const CaseStudy &study)
{
    if (!study.problem.empty())
        return study.problem;
    if (study.limit) {
        try {
            parseLimit(*study.limit);
        } catch (const UsageError &e) {
            std::string why = e.what();
            constexpr std::string_view Option = "--limit: ";
            if (why.starts_with(Option))
                why.erase(0, Option.size());
            return path + ": study.limit: " + why;
        }
    }
    if (study.find)
        if (const std::optional<Field> key = fieldOfKey(*study.find))
            if (const std::optional<std::string> why = solveRefusal(*key))
                return path + ": study.find: " + *why;
    return std::nullopt;
}

std::optional<std::vector<CaseContent>> readCases(const std::vector<std::string> &paths)
{
    std::vector<CaseContent> cases;
    try {
        for (const std::string &path : paths) {
            cases.push_back(readCase(path));
            if (const auto &study = cases.back().study)
                if (const std::optional<std::string> problem = studyProblem(path, *study)) {
                    complain(*problem);
                    return std::nullopt;
                }
        }
    } catch (const CaseFileError &e) {
        complain(e.what());
        return std::nullopt;
    }
    return cases;
}

bool outputsStandApart(const std::vector<std::string> &inputs, const std::vector<PlannedOutput> &outputs,
                       std::string_view inputKind)
{
    std::vector<std::optional<FileIdentity>> cases;
    for (const std::string &input : inputs)
        cases.push_back(fileIdentity(input));
    std::vector<std::optional<FileIdentity>> written;
    for (std::size_t i = 0; i < outputs.size(); ++i) {
        const PlannedOutput &output = outputs[i];
        std::optional<FileIdentity> id = output.path == "-" ? std::nullopt : fileIdentity(output.path);
        // A folder that is missing fails the write itself, with its own words.
        if (id && id->kind == FileIdentity::Kind::Other)
            id.reset();
        written.push_back(id);
        if (!id)
            continue;
        for (std::size_t j = 0; j < inputs.size(); ++j) {
            if (cases[j] && *cases[j] == *id) {
                complain(output.described + " would overwrite " + std::string(inputKind) + " " + inputs[j] +
                         "; name another file for it");
                return false;
            }
        }
        for (std::size_t j = 0; j < i; ++j) {
            if (written[j] && *written[j] == *id) {
                complain(output.described + " is the same file as " + outputs[j].described +
                         "; give them different names or run them apart");
                return false;
            }
        }
    }
    return true;
}

std::optional<ValidityRange> validityRangeOf(const CaseContent &content)
{
    if (!content.meltFit)
        return std::nullopt;
    const MeltFitRange &fit = *content.meltFit;
    return ValidityRange{fit.temperatureMin, fit.temperatureMax, fit.shearRateMin, fit.shearRateMax};
}

bool writeOutput(const std::string &path, std::string_view text)
{
    try {
        FileSink out(path);
        out.write(text);
        out.close();
    } catch (const std::runtime_error &e) {
        complain(e.what());
        return false;
    }
    return true;
}

std::string fileNameOf(const std::string &path)
{
    const std::string name = std::filesystem::path(path).filename().string();
    return name.empty() ? path : name;
}

} // namespace sf
