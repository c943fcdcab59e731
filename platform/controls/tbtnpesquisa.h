#pragma once

#include "controls_export.h"

#include <QPointer>
#include <QToolButton>

#include <functional>

class QLineEdit;
class TClientDataSet;
class TDataSource;

// The lookup button next to a code field. A click opens the data source's
// query, reports EmptyError (through MensErro) when it has no rows, otherwise
// shows the lookup list (DialogSeam::lookup) titled Title, opening on the row
// whose first field holds the code typed in Associate and showing the names
// of FieldNome in its widest column; after a pick the set's current row is
// the picked one and OnAfterPesq runs.
class CONTROLS_EXPORT TBtnPesquisa : public QToolButton {
    Q_OBJECT
public:
    explicit TBtnPesquisa(QWidget *parent = nullptr);

    QPointer<QLineEdit> Associate;  // the code field the button looks up for
    QPointer<TDataSource> DataSource;
    QString FieldNome;  // the field holding the rows' names
    QString Title;
    QString EmptyError;
    std::function<void()> OnAfterPesq;

    void Pesquisa();  // what a click does, without the guard

private:
    int rowOfAssociatedCode(const TClientDataSet &set) const;
};
