#pragma once
#include "ClsPropDiscription.h"
#include <QString>
#include <QStringList>
#include <memory>
#include <vector>

// The property lists per object kind and their choice lists.
class clsPropertysManager
{
public:
    std::vector<std::unique_ptr<ClsPropDiscription>> ColPropertys;
    std::vector<std::unique_ptr<ClsPropDiscription>> TitlePropertys;
    std::vector<std::unique_ptr<ClsPropDiscription>> LabelPropertys;
    std::vector<std::unique_ptr<ClsPropDiscription>> RangePropertys;
    // Shown for a selection of several objects of mixed kinds.
    std::vector<std::unique_ptr<ClsPropDiscription>> PublicPropertys;

    // Fills the five lists (emptied first, so a second call gives the same lists).
    void LoadAllPropertys(bool& ok);

    // The values offered for a property edited from a list, for the object kind
    // "标签", "列", "区域" or "标题" (kind and caption in any letter case). Lists built
    // from ranges and columns follow the open document's managers. Any other pair
    // gives an empty list.
    void GetPropertyReflist(const QString& kind, const QString& caption, QStringList& list, int& count) const;
};
