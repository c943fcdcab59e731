#pragma once

class TClientDataSet;

// The fields of the screen's record sets, in the order, kinds and sizes the
// commission service sends them (the wire's declaration), with how the screen
// shows each: display label, format, width and hidden flag.
// Each declare function is called once on a fresh, inactive set.
namespace screendatasets {

void declareParamOrcaEve(TClientDataSet &set);         // quote parameters, text only
void declareVendedores(TClientDataSet &set);           // salespeople with their commission
void declareOrcamentos(TClientDataSet &set);           // quotes of the current salesperson
void declareOrcaPendente(TClientDataSet &set);         // quotes of salespeople without commission
void declareHistorico(TClientDataSet &set);            // settlements of a period
void declareHistoricoOrcamentos(TClientDataSet &set);  // the quotes of each settlement

}  // namespace screendatasets
