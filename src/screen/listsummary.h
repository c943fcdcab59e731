#pragma once

class QString;
class TClientDataSet;

// The lines under the grids: what the lists hold, in the grids' notation.
class ListSummary {
public:
    // "38 orçamentos · 3 marcados · comissão marcada 1.234,50": the quotes
    // listed, those marked ("S"), and the sum of the marked ones' commission.
    static QString quotes(const TClientDataSet &quotes);
    // "25 vendedores · comissão 12.345,67".
    static QString salespeople(const TClientDataSet &salespeople);
};
