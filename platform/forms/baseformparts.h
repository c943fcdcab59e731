#pragma once

class QLabel;
class QWidget;

// Parts that the base screen and the base filter dialog share.

// The sunken, bold label that shows a form's screen code.
QLabel *newScreenCodeLabel(QWidget *parent);

// True when the window now active belongs to `owner` without being it: one of
// its dialogs, message boxes or popups, whose parent chain leads back to it.
// Coming back from such a window is not a new activation of the owner.
bool ownWindowIsActive(const QWidget *owner);
