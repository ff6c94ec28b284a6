#pragma once

#include <stdexcept>
#include <string>

// An error of the table engine or of the database-tools classes.
class EBdtError : public std::runtime_error {
public:
    explicit EBdtError(const std::string& what) : std::runtime_error(what) {}
};

// Thrown by a password-request handler whose user gave up: it passes through TQuery::Open and
// the data set manager's Open and Create, which leave nothing open, reserved or locked.
class EPasswordCancelled : public std::runtime_error {
public:
    EPasswordCancelled() : std::runtime_error("password request cancelled") {}
};

// Prepares the engine (cryptography library); idempotent, called once per module.
void InitBDTExceptions();
