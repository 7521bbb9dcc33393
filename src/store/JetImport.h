#pragma once

#include "app/Progress.h"

#include <QString>

class Prompt;

// Bringing a Windows database (a Jet file) into Quillet: the questions around
// a conversion (JetConverter), with the progress window.

// Start-up on a Jet file: asks whether to convert it into a new SQLite file
// beside it (JetConvertedPath) and does so. When that file is already there
// (an earlier conversion), asks whether to open it instead; it is never
// replaced. Returns the database to open, or an empty text when the user
// declined, cancelled or the conversion failed (the user has been told;
// nothing was written). A null factory converts without a window.
QString OfferJetConversion(Prompt& prompt, const QString& jetPath, const ProgressFactory& makeProgress);

// A merge from a Jet file: converts it into `target` (a file that does not
// exist, in a folder the caller removes), after a question. Returns false
// when the user declined or cancelled or the conversion failed (told).
bool ConvertJetForMerge(Prompt& prompt, const QString& jetPath, const QString& target,
                        const ProgressFactory& makeProgress);
