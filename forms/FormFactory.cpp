#include "forms/FormFactory.h"

#include "forms/TAerzteDialog.h"
#include "forms/TBankenDialog.h"
#include "forms/TFreiFelderDialog.h"
#include "forms/TNachGeschlagen.h"
#include "forms/TOnlineDialog.h"
#include "forms/TPKWDialog.h"
#include "forms/TPersoenlichDialog.h"
#include "forms/TSeriennummerDialog.h"
#include "forms/TSoftwareDialog.h"

std::unique_ptr<TDialog> CreateCategoryForm(int command, QWidget* parent) {
    switch (command) {
    case 8:
        return std::make_unique<TAerzteDialog>(parent);
    case 9:
        return std::make_unique<TBankenDialog>(parent);
    case 10:
        return std::make_unique<TFreiFelderDialog>(parent);
    case 11:
        return std::make_unique<TOnlineDialog>(parent);
    case 12:
        return std::make_unique<TPersoenlichDialog>(parent);
    case 13:
        return std::make_unique<TPKWDialog>(parent);
    case 14:
        return std::make_unique<TSeriennummerDialog>(parent);
    case 15:
        return std::make_unique<TSoftwareDialog>(parent);
    case 16:
        return std::make_unique<TNachGeschlagen>(parent);
    default:
        return nullptr;
    }
}
