#pragma once

class QWidget;

// True when the window now active belongs to `owner` without being it: one of
// its dialogs, message boxes or popups, whose parent chain leads back to it.
// Coming back from such a window is not a new activation of the owner.
bool ownWindowIsActive(const QWidget *owner);
