#pragma once

#include <QString>

// The current filter of the maintenance screen.
struct TVendedor {
    bool boTodos = false;  // all salespeople, or only those in the list
    QString stLista;       // the picked codes, as the picker returned them
};

struct TTipoEven {
    bool boTodos = false;
    QString stLista;
};

struct TComissao {
    QString stGerada;  // "N" not generated, "S" generated, empty before the first confirmed filter
};

struct TFiltro {
    double dtDePeriodo = 0;  // day count, 0 = no date
    double dtAtePeriodo = 0;
    TVendedor Vendedor;
    TTipoEven TipoEven;
    TComissao Comissao;
    QString stCdFilial;  // the validated branch code the lists are loaded for
};
