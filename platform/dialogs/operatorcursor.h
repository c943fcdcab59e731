#pragma once

#include "dialogs_export.h"

// The cursor tells the truth: the hourglass only while the program works,
// the arrow while it waits for the operator. Each object puts its cursor on
// top for as long as it lives and gives back what was there after, so they
// nest: a message shown in the middle of a filter run shows the arrow, and
// the hourglass comes back when it closes.
class DIALOGS_EXPORT OperatorCursor {
public:
    enum class Shows { Working, WaitingForTheOperator };

    explicit OperatorCursor(Shows shows);
    ~OperatorCursor();

    OperatorCursor(const OperatorCursor &) = delete;
    OperatorCursor &operator=(const OperatorCursor &) = delete;

private:
    bool m_pushed = false;
};
