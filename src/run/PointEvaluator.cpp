#include "run/PointEvaluator.h"

#include "calc/Errors.h"
#include "calc/InputFields.h"
#include "calc/ReadInputs.h"
#include "calc/ShiftViscosity.h"
#include "run/CaseRun.h"
#include "run/PackTotal.h"
#include "run/Sweep.h"

#include <algorithm>
#include <bit>
#include <cmath>

namespace sf {

namespace {

bool isPackField(Field field)
{
    const FieldKind kind = inputField(field).kind;
    return kind == FieldKind::Mesh || kind == FieldKind::Wire || kind == FieldKind::ScreenCount;
}

bool sameBits(double a, double b)
{
    return std::bit_cast<std::uint64_t>(a) == std::bit_cast<std::uint64_t>(b);
}

bool sameBits(std::span<const double> a, std::span<const double> b)
{
    return a.size() == b.size() && std::equal(a.begin(), a.end(), b.begin(), [](double x, double y) {
               return sameBits(x, y);
           });
}

// The text a single run's case file would hold for the value, with the
// separator the texts are read with.
std::string fieldTextOf(Field field, double v, char separator)
{
    return valueFieldText(v, separator, inputField(field).kind == FieldKind::ScreenCount);
}

RunStep stepOf(ModelFault::Step step)
{
    switch (step) {
    case ModelFault::Step::Opening:
        return RunStep::Opening;
    case ModelFault::Step::ScreenFactor:
        return RunStep::ScreenFactor;
    case ModelFault::Step::PressureDrop:
        return RunStep::PressureDrop;
    case ModelFault::Step::None:
        break;
    }
    return RunStep::None;
}

} // namespace

PointEvaluator::PointEvaluator(const FieldTexts &texts, char separator, std::vector<Field> varied, bool details)
    : m_texts(texts), m_separator(separator), m_fields(std::move(varied)), m_details(details)
{
    m_packVaried = std::any_of(m_fields.begin(), m_fields.end(), isPackField);
}

void PointEvaluator::readCase(std::span<const double> values)
{
    // The varied process and melt values are always readable numbers, so one
    // reading serves them all; pack values change what reading finds.
    if (m_readValid && !m_packVaried)
        return;
    std::vector<double> packValues;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        if (isPackField(m_fields[i]))
            packValues.push_back(values[i]);
    if (m_readValid && sameBits(packValues, m_readFor))
        return;

    FieldTexts texts = m_texts;
    for (std::size_t i = 0; i < m_fields.size(); ++i)
        texts[m_fields[i]] = fieldTextOf(m_fields[i], values[i], m_separator);
    m_read.reset();
    m_readStatus = PointStatus::Ok;
    m_readMessage.clear();
    try {
        ReadResult read = ReadInputs(texts, m_separator);
        if (const auto *rejected = std::get_if<InputRejection>(&read)) {
            m_readStatus = PointStatus::Rejected;
            m_readMessage = std::string(rejected->message);
        } else {
            m_read = std::get<FilterCase>(read);
        }
    } catch (const std::exception &e) {
        m_readStatus = PointStatus::Failed;
        m_readMessage = errorText(e);
    }
    m_readFor = std::move(packValues);
    m_readValid = true;
    // Every later point sets the varied values and recomputes the rest, so
    // the case is copied only when it is read again.
    if (m_read)
        m_case = *m_read;
}

void PointEvaluator::shift()
{
    const std::array<double, 5> inputs = {m_case.Temperature, m_case.ShiftParamA, m_case.ShiftParamB,
                                          m_case.StdViscosity, m_case.StdShearRate};
    bool same = m_shiftValid;
    for (std::size_t i = 0; same && i < inputs.size(); ++i)
        same = sameBits(inputs[i], m_shiftInputs[i]);
    if (!same) {
        m_shiftInputs = inputs;
        m_shiftValid = true;
        m_shiftFault = nullptr;
        try {
            ShiftViscosity(m_case);
            m_shiftFactor = m_case.ShiftFactor;
            m_shiftedViscosity = m_case.ShiftedViscosity;
            m_shiftedShearRate = m_case.ShiftedShearRate;
        } catch (const std::exception &) {
            m_shiftFault = std::current_exception();
        }
    }
    if (m_shiftFault)
        std::rethrow_exception(m_shiftFault);
    m_case.ShiftFactor = m_shiftFactor;
    m_case.ShiftedViscosity = m_shiftedViscosity;
    m_case.ShiftedShearRate = m_shiftedShearRate;
}

void PointEvaluator::computeScreens()
{
    std::vector<double> &pack = m_geometryInputs;
    const bool sameGeometry = [&] {
        if (!m_geometry || pack.size() != static_cast<std::size_t>(2 * m_case.ScreenCount + 1))
            return false;
        if (!sameBits(pack[0], m_case.PowerLawFactor))
            return false;
        for (int i = 0; i < m_case.ScreenCount; ++i)
            if (!sameBits(pack[static_cast<std::size_t>(2 * i + 1)], m_case.Screens[i].Mesh) ||
                !sameBits(pack[static_cast<std::size_t>(2 * i + 2)], m_case.Screens[i].WireDia))
                return false;
        return true;
    }();
    if (!sameGeometry) {
        pack.assign(1, m_case.PowerLawFactor);
        for (int i = 0; i < m_case.ScreenCount; ++i) {
            pack.push_back(m_case.Screens[i].Mesh);
            pack.push_back(m_case.Screens[i].WireDia);
        }
        m_geometry.emplace(m_case);
    }
    ModelFault where;
    try {
        m_geometry->apply(m_case, &where);
    } catch (const std::exception &e) {
        fail(PointStatus::Failed, errorText(e), stepOf(where.step), where.screen);
        throw;
    }
}

void PointEvaluator::fail(PointStatus status, std::string message, RunStep step, int screen)
{
    m_point.status = status;
    m_point.message = std::move(message);
    m_point.step = step;
    m_point.faultScreen = screen;
}

int PointEvaluator::screensInUse(std::span<const double> values)
{
    readCase(values);
    return m_read ? m_read->ScreenCount : 0;
}

const PointResult &PointEvaluator::evaluate(std::span<const double> values)
{
    readCase(values);
    m_point.status = PointStatus::Ok;
    m_point.message.clear();
    m_point.step = RunStep::None;
    m_point.faultScreen = 0;
    m_point.total = 0;
    m_point.screenCount = 0;
    m_total = {};
    if (!m_read) {
        fail(m_readStatus, m_readMessage, RunStep::Reading);
        return m_point;
    }
    for (std::size_t i = 0; i < m_fields.size(); ++i) {
        const InputField &f = inputField(m_fields[i]);
        if (f.kind == FieldKind::CaseValue)
            m_case.*f.value = values[i];
    }
    try {
        shift();
    } catch (const std::exception &e) {
        fail(PointStatus::Failed, errorText(e), RunStep::Shift);
        return m_point;
    }
    try {
        computeScreens();
    } catch (const std::exception &) {
        return m_point; // computeScreens said where
    }

    m_point.screenCount = m_case.ScreenCount;
    for (int i = 0; i < m_case.ScreenCount; ++i) {
        const ScreenLayer &layer = m_case.Screens[static_cast<std::size_t>(i)];
        ScreenResult &r = m_point.screens[static_cast<std::size_t>(i)];
        r.mesh = layer.Mesh;
        r.wire = layer.WireDia;
        r.opening = layer.Opening;
        r.screenFactor = layer.ScreenFactor;
        r.pressureDrop = layer.PressDrop;
        if (m_details) {
            const ScreenDetails d = screenDetails(m_case, i + 1);
            r.openArea = d.openArea;
            r.wallShearRate = d.wallShearRate;
            r.apparentViscosity = d.apparentViscosity * PascalSecondsPerGfSecondPerCm2;
        }
    }
    m_total = totalPressureDrop(m_case);
    if (m_total.overflowScreen)
        fail(PointStatus::Failed, errorText(OverflowError()), RunStep::Total);
    else
        m_point.total = m_total.value;
    return m_point;
}

} // namespace sf
