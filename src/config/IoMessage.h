#pragma once

#include "platform/IoResult.h"

#include <QString>

// The words for a failed file operation, in the language in effect: the message of a failure that
// brought its own, else the step's sentence with the path and the reason. The system's own words are
// used only where the kind alone says nothing (IoError::Other).
QString IoMessage(const IoResult& r);
