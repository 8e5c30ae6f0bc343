#include "cmn/DataVector.h"

#include <algorithm>

namespace vand::core {

bool DataVector::operator<(const DataVector& other) const {
  return std::lexicographical_compare(begin(), end(), other.begin(), other.end());
}

bool DataVector::operator==(const DataVector& other) const {
  return size() == other.size() && std::equal(begin(), end(), other.begin());
}

}  // namespace vand::core
