#pragma once

#include <QStringList>

// The message catalogue of the maintenance screen, "KEY|text" per line in its
// fixed order. The texts are shown to the user exactly as they stand here.
QStringList manComisCatalogue();
