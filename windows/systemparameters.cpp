#include "windows/systemparameters.h"

#include <string>
#include <utility>

namespace kalvor {

namespace {

bool sameTable(const std::vector<Parameter>& a, const std::vector<Parameter>& b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t k = 0; k < a.size(); ++k)
        if (a[k].name != b[k].name || a[k].formula != b[k].formula)
            return false;
    return true;
}

}  // namespace

SystemParameters::SystemParameters(QObject* parent) : QObject(parent)
{
    setObjectName(QStringLiteral("systemParameters"));
    values_ = evaluateParameters(parameters_);
}

void SystemParameters::set(std::vector<Parameter> parameters)
{
    if (sameTable(parameters, parameters_))
        return;
    history_.push_back(parameters_);
    take(std::move(parameters));
}

bool SystemParameters::undo()
{
    if (history_.empty())
        return false;
    std::vector<Parameter> before = std::move(history_.back());
    history_.pop_back();
    take(std::move(before));
    return true;
}

void SystemParameters::take(std::vector<Parameter> parameters)
{
    parameters_ = std::move(parameters);
    values_ = evaluateParameters(parameters_);
    emit changed();
}

QString SystemParameters::nameProblem(const QString& name, std::size_t row) const
{
    const std::string wanted = name.toStdString();
    const std::string problem = parameterNameProblem(wanted);
    if (!problem.empty())
        return QString::fromStdString(problem);
    for (std::size_t k = 0; k < parameters_.size(); ++k)
        if (k != row && parameters_[k].name == wanted)
            return name + QStringLiteral(" is already a parameter");
    return {};
}

}  // namespace kalvor
