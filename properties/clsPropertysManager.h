#pragma once
#include "ClsPropDiscription.h"
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
    std::vector<std::unique_ptr<ClsPropDiscription>> PublicPropertys;

    void LoadAllPropertys(bool& ok);
};
