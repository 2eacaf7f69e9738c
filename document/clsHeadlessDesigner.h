#pragma once
#include "clsDesignerView.h"

// Stands in for the designer window where no window exists (tests, command-line hosts):
// it remembers what it was told and draws nothing.
class clsHeadlessDesigner : public clsDesignerView
{
public:
    bool IsShown() const override { return m_shown; }
    void SetShown(bool shown) override { m_shown = shown; }
    void SetCaption(const QString& caption) override { m_caption = caption; }
    QString Caption() const override { return m_caption; }
    void RefreshFormatReport() override {}
    void ShowModeless() override {}
    void GiveFocus() override {}

private:
    bool m_shown = false;
    QString m_caption = QStringLiteral("定义报表格式");
};
