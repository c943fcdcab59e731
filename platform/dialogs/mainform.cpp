#include "mainform.h"

#include <QPointer>
#include <QWidget>

namespace {

QPointer<QWidget> mainForm;

}  // namespace

QWidget *MainForm()
{
    return mainForm;
}

void SetMainForm(QWidget *form)
{
    mainForm = form;
}
