#include "tdatasource.h"

TDataSource::TDataSource(QObject *parent) : QObject(parent) {}

void TDataSource::setDataSet(TClientDataSet *dataSet)
{
    if (m_dataSet == dataSet)
        return;
    if (m_dataSet)
        m_dataSet->detachSource(this);
    m_dataSet = dataSet;
    if (m_dataSet)
        m_dataSet->attachSource(this);
    emit dataSetChanged();
}

TClientDataSet *TDataSource::dataSet() const
{
    return m_dataSet;
}

void TDataSource::stateEvent()
{
    emit stateChanged();
    if (OnStateChange)
        OnStateChange(*this);
}

void TDataSource::dataEvent(TClientDataSet::DataEvent event, int row)
{
    switch (event) {
    case TClientDataSet::DataEvent::ContentReset:
        emit contentReset();
        break;
    case TClientDataSet::DataEvent::RowChanged:
        emit rowChanged(row);
        break;
    case TClientDataSet::DataEvent::CurrentChanged:
        emit currentChanged(row);
        break;
    case TClientDataSet::DataEvent::Refreshed:
        emit refreshed();
        break;
    }
    emit dataChanged();
    if (OnDataChange)
        OnDataChange(*this);
}

void TDataSource::dataSetDestroyed()
{
    m_dataSet = nullptr;
    emit dataSetChanged();
}
