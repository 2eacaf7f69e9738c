#include "clsLabelManager.h"
#include "document/modPublicDefine.h"
#include "expressions/clsExpressionManager.h"
#include "expressions/clsFunctionManager.h"
#include <QHash>
#include <algorithm>
#include <vector>

namespace {
const QString kExpression = QStringLiteral("表达式");
const QString kFormula = QStringLiteral("公式");

QString Key(const QString& name)
{
    return name.trimmed().toCaseFolded();
}

using FunctionIndex = QHash<QString, const clsFunction*>;

// The label names a source refers to, as written (not yet looked up).
void References(const QString& kind, const QString& text, const FunctionIndex& functions, QStringList& out)
{
    out.clear();
    if (SameText(kind.trimmed(), kExpression)) {
        int pos = 0;
        clsExpressionManager::Token token;
        bool ok = true;
        int failAt = 0;
        while (clsExpressionManager::NextToken(text, pos, token, ok, failAt))
            if (token.kind == clsExpressionManager::Token::Name && !clsExpressionManager::IsNumberOperand(token.text))
                out.append(token.text);
    } else if (SameText(kind.trimmed(), kFormula)) {
        QString name;
        QString args;
        clsFunctionManager::SplitFormula(text, name, args);
        const clsFunction* func = functions.value(Key(name));
        if (!func)
            return;
        const QStringList list = clsFunctionManager::ArgumentList(args);
        for (int i = 0; i < list.size() && i < func->Peres.size(); ++i) {
            const QString& arg = list.at(i);
            if (SameText(func->Peres.at(i).strRefType.trimmed(), QStringLiteral("标签集合")) && arg.size() > 2
                && arg.startsWith(QLatin1Char('[')) && arg.endsWith(QLatin1Char(']')))
                out.append(arg.mid(1, arg.size() - 2));
        }
    }
}

// Table functions by name, the first of a name answering as in the formula check.
// Service functions take no label arguments.
FunctionIndex TableFunctions()
{
    FunctionIndex index;
    if (const clsFunctionManager* functions = DocumentFunctions())
        for (const auto& func : functions->mFuncs)
            if (!index.contains(Key(func->StrName)))
                index.insert(Key(func->StrName), func.get());
    return index;
}
}

QStringList clsLabelManager::LabelCycle(const clsLabel& label, const QString& name, const QString& kind,
                                        const QString& text) const
{
    // The graph: every label that is not deleted, found by name (the first of a name,
    // as lookups do); the edited label under the name it is about to have.
    QHash<QString, int> index;
    std::vector<const clsLabel*> nodes;
    int start = -1;
    for (const auto& l : Labels) {
        const bool edited = l.get() == &label;
        if (l->blnDeleted && !edited)
            continue;
        const QString key = Key(edited ? name : l->StrName);
        if (edited)
            start = int(nodes.size());
        if (!index.contains(key))
            index.insert(key, int(nodes.size()));
        nodes.push_back(l.get());
    }
    if (start < 0)
        return {};

    // Depth first from the edited label; each label's source is read once, when it is
    // first reached. Reaching the edited label again closes a cycle.
    const FunctionIndex functions = TableFunctions();
    std::vector<int> parent(nodes.size(), -2);  // -2: not reached yet
    std::vector<int> pending{start};
    parent[std::size_t(start)] = -1;
    QStringList refs;
    while (!pending.empty()) {
        const int u = pending.back();
        pending.pop_back();
        const clsLabel* node = nodes[std::size_t(u)];
        if (u == start)
            References(kind, text, functions, refs);
        else
            References(node->StrDataSouType, node->strSou, functions, refs);
        for (const QString& ref : std::as_const(refs)) {
            const auto it = index.constFind(Key(ref));
            if (it == index.constEnd())
                continue;
            const int v = it.value();
            if (v == start) {
                QStringList chain{name.trimmed()};
                for (int w = u; w != start; w = parent[std::size_t(w)])
                    chain.append(nodes[std::size_t(w)]->StrName);
                std::reverse(chain.begin() + 1, chain.end());
                chain.append(name.trimmed());
                return chain;
            }
            if (parent[std::size_t(v)] != -2)
                continue;
            parent[std::size_t(v)] = u;
            pending.push_back(v);
        }
    }
    return {};
}

bool clsLabelManager::AcyclicSource(const clsLabel& label, const QString& name, const QString& kind,
                                    const QString& text) const
{
    const QStringList chain = LabelCycle(label, name, kind, text);
    if (chain.isEmpty())
        return true;
    const QString what = SameText(kind.trimmed(), kFormula) ? QStringLiteral("标签公式") : QStringLiteral("标签表达式");
    ShowMessage(what + QStringLiteral("不能循环引用: ") + chain.join(QStringLiteral(" → ")));
    return false;
}

bool clsLabelManager::CheckLabelCycle(const QString& StrName, const QString& kind, const QString& text) const
{
    const clsLabel* label = FindLabel(StrName, false);
    return !label || AcyclicSource(*label, label->StrName, kind, text);
}
