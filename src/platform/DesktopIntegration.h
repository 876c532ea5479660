#pragma once

#include "platform/IoResult.h"

#include <QString>

#include <memory>

// How the desktop starts the program: at login, and for its list files. Each operation acts for the
// current user only and reports a failure with its reason.
class DesktopIntegration
{
public:
    virtual ~DesktopIntegration() = default;

    // Makes the desktop start programPath at login (enable) or no longer (a missing entry is no error);
    // name identifies the entry: the desktop id, org.quillmar.Quillmar. The XDG entry's file is always
    // named after that id, so entries written by earlier versions are the same file.
    virtual IoResult SetAutoStart(const QString& programPath, const QString& name, bool enable) = 0;
    // Whether the desktop really starts the program at login now (whoever made it so).
    virtual bool IsAutoStartEnabled() = 0;
    // Makes the running program the one that opens files of the extension ("tdo", "tdx").
    virtual IoResult RegisterExtension(const QString& extension) = 0;
    // Undoes what RegisterExtension wrote; an association another program made is left alone.
    virtual IoResult UnregisterExtension(const QString& extension) = 0;
    // Whether ".tdo" files open with the running program (the same program file, not just any Quillmar).
    virtual bool IsExtensionRegistered() = 0;

    // The implementation for this system, acting for the program file programPath.
    static std::unique_ptr<DesktopIntegration> forProgram(const QString& programPath);
};
