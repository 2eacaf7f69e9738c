#include "modFunctionServers.h"
#include "clsFunctionServer.h"
#include "document/clsComponentRegistry.h"

const std::vector<FunctionServerCatalogue>& FunctionServerCatalogues()
{
    // Function names are unique across the classes: a formula names its function only.
    static const std::vector<FunctionServerCatalogue> catalogues = {
        {QStringLiteral("QXSvrCWFX.ClsMain"), false, {
            QStringLiteral("取流动比率|CWLDBL([<会计年度>],[<会计期间>])"),
            QStringLiteral("取速动比率|CWSDBL([<会计年度>],[<会计期间>])"),
            QStringLiteral("取资产负债率|CWZCFZL([<会计年度>],[<会计期间>])"),
            QStringLiteral("取净资产收益率|CWJZCSYL([<会计年度>],[<会计期间>])"),
            QStringLiteral("取科目金额同比增长率|CWZZL(<科目编码>,<会计年度>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrGZ.ClsMain"), false, {
            QStringLiteral("取工资项目合计|GZHJ(<工资项目>,[<部门编码>],[<会计期间>])"),
            QStringLiteral("取工资项目平均数|GZPJ(<工资项目>,[<部门编码>],[<会计期间>])"),
            QStringLiteral("取发放人数|GZRS([<部门编码>],[<会计期间>])"),
            QStringLiteral("取代扣个人所得税|GZSDS([<部门编码>],[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrGDZC.ClsMain"), false, {
            QStringLiteral("取资产原值|ZCYZ([<资产类别>],[<部门编码>],[<会计期间>])"),
            QStringLiteral("取累计折旧|ZCLJZJ([<资产类别>],[<部门编码>],[<会计期间>])"),
            QStringLiteral("取资产净值|ZCJZ([<资产类别>],[<部门编码>],[<会计期间>])"),
            QStringLiteral("取本期折旧额|ZCBQZJ([<资产类别>],[<部门编码>],[<会计期间>])"),
            QStringLiteral("取资产数量|ZCSL([<资产类别>],[<部门编码>])"),
        }},
        {QStringLiteral("QXSvrYSYF.ClsMain"), false, {
            QStringLiteral("取客户应收余额|YSYE(<客户编码>,[<会计期间>])"),
            QStringLiteral("取客户本期收款|YSSK(<客户编码>,[<会计期间>])"),
            QStringLiteral("取客户账龄金额|YSZL(<客户编码>,<账龄天数>)"),
            QStringLiteral("取供应商应付余额|YFYE(<供应商编码>,[<会计期间>])"),
            QStringLiteral("取供应商本期付款|YFFK(<供应商编码>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrZW.ClsMain"), true, {
            QStringLiteral("取科目期初余额|QC(<科目编码>,[<会计期间>],[〈币种〉])"),
            QStringLiteral("取科目期末余额|QM(<科目编码>,[<会计期间>],[〈币种〉])"),
            QStringLiteral("取科目借方发生额|JF(<科目编码>,[<会计期间>],[〈币种〉])"),
            QStringLiteral("取科目贷方发生额|DF(<科目编码>,[<会计期间>],[〈币种〉])"),
            QStringLiteral("取科目借方累计发生额|LJF(<科目编码>,[<会计期间>])"),
            QStringLiteral("取科目贷方累计发生额|LDF(<科目编码>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrCG.ClsMain"), false, {
            QStringLiteral("取采购数量|CGSL(<存货编码>,[<供应商编码>],[<会计期间>])"),
            QStringLiteral("取采购金额|CGJE(<存货编码>,[<供应商编码>],[<会计期间>])"),
            QStringLiteral("取采购在途数量|CGZT(<存货编码>,[<供应商编码>])"),
            QStringLiteral("取采购发票金额|CGFP([<供应商编码>],[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrCHHS.ClsMain"), false, {
            QStringLiteral("取存货期初金额|CHQC(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取存货期末金额|CHQM(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取存货入库金额|CHRK(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取存货出库金额|CHCK(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取存货平均单价|CHDJ(<存货编码>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrXS.ClsMain"), false, {
            QStringLiteral("取销售数量|XSSL(<存货编码>,[<客户编码>],[<会计期间>])"),
            QStringLiteral("取销售收入|XSSR(<存货编码>,[<客户编码>],[<会计期间>])"),
            QStringLiteral("取销售成本|XSCB(<存货编码>,[<客户编码>],[<会计期间>])"),
            QStringLiteral("取销售毛利|XSML(<存货编码>,[<客户编码>],[<会计期间>])"),
            QStringLiteral("取业务员销售额|XSYW(<业务员编码>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrCA.ClsMain"), false, {
            QStringLiteral("取产品总成本|CBZC(<产品编码>,[<会计期间>])"),
            QStringLiteral("取产品单位成本|CBDW(<产品编码>,[<会计期间>])"),
            QStringLiteral("取成本项目金额|CBXM(<产品编码>,<成本项目>,[<会计期间>])"),
            QStringLiteral("取部门制造费用|CBZZ(<部门编码>,[<会计期间>])"),
            QStringLiteral("取完工产品数量|CBWG(<产品编码>,[<会计期间>])"),
        }},
        {QStringLiteral("UsSvrZJ.ClsMain"), false, {
            QStringLiteral("取银行存款余额|ZJYH(<银行账号>,[<日期>])"),
            QStringLiteral("取库存现金余额|ZJXJ([<日期>])"),
            QStringLiteral("取资金收入合计|ZJSR(<起始日期>,<截止日期>)"),
            QStringLiteral("取资金支出合计|ZJZC(<起始日期>,<截止日期>)"),
            QStringLiteral("取银行未达账金额|ZJWD(<银行账号>,[<会计期间>])"),
        }},
        {QStringLiteral("QXSvrKC.ClsMain"), false, {
            QStringLiteral("取现存量|KCXC(<存货编码>,[<仓库编码>])"),
            QStringLiteral("取入库数量|KCRK(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取出库数量|KCCK(<存货编码>,[<仓库编码>],[<会计期间>])"),
            QStringLiteral("取安全库存量|KCAQ(<存货编码>,[<仓库编码>])"),
            QStringLiteral("取可用量|KCKY(<存货编码>,[<仓库编码>])"),
        }},
    };
    return catalogues;
}

void RegisterFunctionServers()
{
    for (const FunctionServerCatalogue& c : FunctionServerCatalogues()) {
        const QStringList forms = c.forms;
        const bool linePerArgument = c.linePerArgument;
        clsComponentRegistry::Register(c.progId, [forms, linePerArgument] {
            return std::make_unique<clsFunctionServer>(forms, linePerArgument);
        });
    }
}

void UnregisterFunctionServers()
{
    for (const FunctionServerCatalogue& c : FunctionServerCatalogues())
        clsComponentRegistry::Unregister(c.progId);
}
