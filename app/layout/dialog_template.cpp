#include "app/layout/dialog_template.h"

namespace morvik {

const DialogItem* DialogTemplate::Find(int id) const {
  if (id == kIdcStatic) return nullptr;
  for (const DialogItem& item : items) {
    if (item.id == id) return &item;
  }
  return nullptr;
}

}  // namespace morvik
