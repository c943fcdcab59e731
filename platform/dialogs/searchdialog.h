#pragma once

#include "dialogs_export.h"

#include <QDialog>

class DataSetModel;
class QLineEdit;
class TDataSource;

// The search dialog: finds a text in any shown column of the source's record
// set, from the row after the current one onwards and round to the start, and
// makes the row found current. Enter searches again, Escape closes.
class DIALOGS_EXPORT SearchDialog : public QDialog {
    Q_OBJECT
public:
    explicit SearchDialog(TDataSource *source, QWidget *parent = nullptr);

    QLineEdit *textEdit() const;
    // Moves the set to the next row holding the text (as SearchText compares:
    // case and accents ignored); false, with the set left where it was, when
    // no row holds it.
    bool findNext();

private:
    void search();  // findNext for the button, telling the user when nothing is found

    TDataSource *m_source;
    DataSetModel *m_model;
    QLineEdit *m_text;
};
