#pragma once

// Every record set of the wire, for a reader that needs several.
#include "historicocomissao.h"
#include "historicoorcamentos.h"
#include "orcamentos.h"
#include "orcamentoscancelados.h"
#include "orcapendente.h"
#include "paramorcaeve.h"
#include "vendedores.h"
