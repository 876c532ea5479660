#pragma once

#include <QStringList>

// The program's modules: shared libraries it loads on first use, so that a start that needs none of
// them loads none of their libraries (quillmar-sync.so: Qt Network; quillmar-sound.so: Qt Multimedia).
// Where the module fileName is looked for, in this order: beside the program, in the library folder of
// an installed copy, and where the build put it.
QStringList ModuleCandidates(const QString& fileName);
