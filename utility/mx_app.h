// The user-visible texts, English and Japanese; one catalogue is chosen at load.
#pragma once

#include <memory>

namespace mx_app {

class message {
 public:
  virtual ~message() = default;
  virtual const char* URL_SWS();
  virtual const char* ERROR_TITLE() = 0;
  virtual const char* SWS_PROGRAM_NAME();
  virtual const char* MSG_DEPENDENCY_ERROR() = 0;
};

class message_en : public message {
 public:
  const char* ERROR_TITLE() override;
  const char* MSG_DEPENDENCY_ERROR() override;
};

class message_jp : public message {
 public:
  const char* ERROR_TITLE() override;
  const char* MSG_DEPENDENCY_ERROR() override;
};

extern std::unique_ptr<message> message_list;

// Replaces the current catalogue by the one of the user's language.
void choose_catalogue();

}  // namespace mx_app
