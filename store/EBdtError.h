#pragma once

#include <stdexcept>
#include <string>

// An error of the table engine or of the database-tools classes.
class EBdtError : public std::runtime_error {
public:
    explicit EBdtError(const std::string& what) : std::runtime_error(what) {}
};

// Prepares the engine (cryptography library); idempotent, called once per module.
void InitBDTExceptions();
