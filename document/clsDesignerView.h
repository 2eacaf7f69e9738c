#pragma once
#include <QString>

// What the document needs of the designer window, so that the model never sees a
// widget: the component installs a factory for frmMainView; without one (headless
// hosts, tests) the document uses a view that only remembers what it was told.
class clsDesignerView
{
public:
    virtual ~clsDesignerView() = default;
    virtual bool IsShown() const = 0;
    virtual void SetShown(bool shown) = 0;
    virtual void SetCaption(const QString& caption) = 0;
    virtual QString Caption() const = 0;
    virtual void RefreshFormatReport() = 0;
    virtual void ShowModeless() = 0;
    virtual void GiveFocus() = 0;
};
