#include "platform/DesktopIntegration.h"

#include "platform/XdgDesktopIntegration.h"

std::unique_ptr<DesktopIntegration> DesktopIntegration::forProgram(const QString& programPath)
{
    return std::make_unique<XdgDesktopIntegration>(programPath);
}
