// Failures travel as exceptions that carry the text the user reads.
#pragma once

#include <stdexcept>

namespace qm::model {

class Error : public std::runtime_error {
public:
    using std::runtime_error::runtime_error;
};

}  // namespace qm::model
