#include "content/content_settings.h"

namespace morvik {

void ResetContentSettings(ContentSettings& settings) {
  settings.url.clear();
  settings.popup.clear();
  settings.mailTo.clear();
  settings.mailCc.clear();
  settings.mailTitle.clear();
  settings.mailBody.clear();
  settings.mailEnabled = 0;
  settings.urlHasIdm = 0;
  settings.urlHasCounter = 0;
  settings.mailHasIdm = 0;
  settings.mailHasCounter = 0;
  settings.urlIdmOffset = 0;
  settings.mailIdmOffset = 0;
  settings.initCard = 0;
  // The volume and LED pattern lists open on their last item, "大" and "常時".
  settings.volume = 3;
  settings.soundType = 0;
  settings.ledPattern = 3;
}

}  // namespace morvik
