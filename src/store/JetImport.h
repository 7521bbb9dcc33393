#pragma once

#include "app/Progress.h"

#include <QString>

class Prompt;

// Bringing a Windows database (a Jet file) into Quillet: the questions around
// a conversion (JetConverter), with the progress window.

// Start-up on a Jet file: asks whether to convert it into a new SQLite file
// beside it (JetConvertedPath) and does so. When that file is already there
// (an earlier conversion), asks whether to open it instead; it is never
// replaced. A file that cannot be converted (damaged, password, no known
// table) is refused in words before any question. A null factory converts
// without a window.
struct JetOffer
{
    // The database to open; empty when there is none.
    QString database;
    // The user said no to the question (not yet told why nothing opens);
    // otherwise an empty database means a failure or cancel, already told.
    bool declined = false;
};
JetOffer OfferJetConversion(Prompt& prompt, const QString& jetPath, const ProgressFactory& makeProgress);

// A merge from a Jet file: converts it into `target` (a file that does not
// exist, in a folder the caller removes), after a question (a file that
// cannot be converted is refused before it). Returns false
// when the user declined or cancelled or the conversion failed (told).
bool ConvertJetForMerge(Prompt& prompt, const QString& jetPath, const QString& target,
                        const ProgressFactory& makeProgress);
