#include "plugin/model/KitValues.h"

namespace rimba {

const char* kitFormName(KitForm form) {
    switch (form) {
        case KitForm::Oldest: return "oldest";
        case KitForm::Short: return "short";
        case KitForm::Plain: return "plain";
        case KitForm::Current: break;
    }
    return "current";
}

}  // namespace rimba
