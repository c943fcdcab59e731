#include "screencatalogue.h"

QStringList manComisCatalogue()
{
    // Keys the screen's own code does not name are still shown when the
    // commission service answers with one of them.
    return {
        QStringLiteral("Excl|Confirma exclusão?"),
        QStringLiteral("FILI_N_INF|Filial deve ser informada."),
        QStringLiteral("FILI_N_CAD|Filial não cadastrada."),
        QStringLiteral("ORCA_N_INF|Orçamento deve ser informado."),
        QStringLiteral("ORCA_N_CAD|Orçamento não cadastrado."),
        QStringLiteral("Vend_Inf|Vendedor deve ser informado."),
        QStringLiteral("Ven_Nao_Cad|Vendedor não cadastrado."),
        QStringLiteral("VEND|Vendedor"),
        QStringLiteral("VEN_NCAD|Vendedor não cadastrado."),
        QStringLiteral("Vend_N_Gera|Vendedor não está parametrizado para gerar comissão."),
        QStringLiteral("GetComissao|Verificando os registros no servidor..."),
        QStringLiteral("Com_Inf|Comissão deve ser informada."),
        QStringLiteral("Com_Maior|Comissão deve ser maior que zero."),
        QStringLiteral("VEND_JA_CAD|Vendedor já cadastrado."),
        QStringLiteral("Com_Menor|Comissão deve ser menor que 100,00."),
        QStringLiteral("VR_COM_DEVE|Comissão deve estar entre 0,001 e 99,99%."),
        QStringLiteral("SOMA_PERC|A soma dos percentuais deve ser menor que 100%."),
        QStringLiteral("SOMA_MEN|A soma dos percentuais deve ser maior que 0%."),
        QStringLiteral("SUCESSO|Comissão gerada com sucesso."),
        QStringLiteral("N_PARAM_EMPRESARELAC|Empresa ou sua Inscrição Estadual  não esta relacionada a filial."),
        QStringLiteral("N_PARAM_CDEMPRESAORCA|Não foi gravado o código da empresa no orçamento."),
        QStringLiteral("N_PARAM_NRINSCESTA|Não há Inscrição Estadual cadastrada para a Empresa informada."),
        QStringLiteral(
            "N_PARAM_CDTPOPENTACE|Não há tipo de operação parametrizado. Informe o tipo de operação Nota de Entrada do Acerto Final na tela Parâmetros do Orçamento."),
        QStringLiteral(
            "N_PARAM_TPCTPAG|Não há tipo de conta a pagar parametrizado. Informe o tipo de conta a pagar para o Fornecedor ou para o tipo de operação Nota de Entrada do Acerto Final."),
        QStringLiteral(
            "N_PARAM_SERIEENTR|Não há série padrão parametrizada. Informe a Série de Entrada na tela de Parâmetros do Orçamento"),
        QStringLiteral("N_MARCADO|Comissão não foi gerada. Vendedor deve ser selecionado."),
        QStringLiteral("GERADO|Não existe comissão para o vendedor selecionado."),
        QStringLiteral("N_PARAM_CONTABAIXADA|Conta a receber não pode ser cancelada, a conta já foi baixada."),
        QStringLiteral("CANC_SUCESSO|Cancelamento das comissões realizado com sucesso."),
        QStringLiteral("DESEJA|Deseja gerar contas para todos os orçamentos marcados?"),
        QStringLiteral("ERRO_GERAR_CONTA|Não foi possível gerar contas a pagar. "),
        QStringLiteral("CANCELA|Deseja cancelar as contas dos orçamentos marcados?"),
        QStringLiteral("COMISSAO_GERADA|Não foi possível gerar contas a pagar. Já existem contas para os vendedores."),
        QStringLiteral("VALOR_ZERO|Não foi possível gerar contas a pagar. Todos os vendedores possuem valor zero."),
        QStringLiteral("N_PARAM_CONTAPAGBAIXADA|Conta a pagar não pode ser cancelada, a conta já foi baixada."),
        QStringLiteral(
            "N_PARAM_BOL_N_CONTAS|Os boletos estão associados a outros boletos. Cancelamento não pode ser realizado."),
        QStringLiteral("N_PARAM_VEND_S_FORN|Não há fornecedor cadastrado para o vendedor. Operação bloqueada."),
        QStringLiteral("N_PARAM_VEND_N_COMISS|Vendedor não parametrizado para gerar comissão."),
        QStringLiteral(
            "N_PARAM_CDTPOPSAIACE|Não há tipo de operação parametrizado. Informe o tipo de operação Nota de Saída do Acerto Final na tela Parâmetros do Orçamento."),
        QStringLiteral(
            "N_PARAM_CDTPCTRECEB|Não há tipo de conta a receber parametrizado. Informe o tipo de conta a receber para o Cliente ou para o tipo de operação Nota de Saída do Acerto Final."),
        QStringLiteral("N_PARAM_S_SERIE|Não há série padrão parametrizada. Informe a Série Padrão para a Filial."),
        QStringLiteral("VEND_S_COMISSAO|Os vendedores abaixo não possuem comissão gerada."),
        QStringLiteral("N_PARAM_BOLBAIXADO|O boleto não pode ser cancelado, ele se encontra baixado."),
        QStringLiteral("N_PARAM_BOLEMITIDO|O boleto não pode ser cancelado, ele se encontra emitido."),
        QStringLiteral("N_PARAM_BOLDESCONTADO|O boleto não pode ser cancelado, ele se encontra descontado."),
        QStringLiteral(
            "VALOR_COMISS_ZERO|Nenhuma comissão foi gerada, pois o valor da comissão dos orçamentos é igual a zero."),
    };
}
