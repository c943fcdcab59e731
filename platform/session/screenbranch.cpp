#include "screenbranch.h"

ScreenBranch &ScreenBranch::notifier()
{
    static ScreenBranch instance;
    return instance;
}

void ReportScreenBranch(const QString &code, const QString &name)
{
    emit ScreenBranch::notifier().reported(code.trimmed(), name.trimmed());
}
