#pragma once

#include <stdexcept>
#include <string>

namespace CL {

// An edit the editor refuses; what() is a readable sentence.
class EditorError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// GetEditedCodes without a last edit.
class EditorHistoryNoActionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// A change-log file of a newer format than this application reads.
class ChangeLogVersionError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

}  // namespace CL
