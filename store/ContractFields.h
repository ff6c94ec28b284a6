#pragma once

#include "util/ContractTerms.h"

#include <map>
#include <string>

// Where the form "Verträge" keeps its values in its category's fixed fields: every contract
// takes kContractParts consecutive ids from 100 on, the Vorsorge block follows them.

inline constexpr int kContractCategory = 11;
inline constexpr int kContractCount = 12;

enum class ContractPart : int {
    Kind = 0,      // one of the kinds of util/ContractTerms.h
    Provider,      // "Anbieter"
    Address,       // the provider's address, several lines
    Number,        // contract or policy number
    Begin,         // as typed
    Minimum,       // minimum term
    Renewal,       // months, or "unbefristet"
    Notice,        // "3 Monate", "6 Wochen"
    Amount,        // the fee
    Period,        // "monatlich", "jährlich", ...
    CancelOnDeath, // "ja" when it is to be cancelled on the holder's death
    Password,      // a customer password, secret
    Remarks,       // several lines
    Count
};
inline constexpr int kContractParts = static_cast<int>(ContractPart::Count);

// contract: 0 .. kContractCount - 1
constexpr int ContractFieldId(int contract, ContractPart part) {
    return 100 + contract * kContractParts + static_cast<int>(part);
}

enum class ProvisionField : int {
    TaxId = 100 + kContractCount * kContractParts, // Steuer-Identifikationsnummer
    PensionNumber,                                 // Rentenversicherungsnummer
    HealthInsurer,                                 // Krankenkasse
    InsuredNumber,                                 // Versichertennummer
    PowerOfAttorney,                               // where the Vorsorgevollmacht is kept
    LivingWill,                                    // where the Patientenverfügung is kept
    Will,                                          // where the Testament is kept
    SafeDepositBank,
    SafeDepositNumber,
    SafeDepositKey, // where its key is kept
};
inline constexpr int kFirstProvisionId = static_cast<int>(ProvisionField::TaxId);
inline constexpr int kLastProvisionId = static_cast<int>(ProvisionField::SafeDepositKey);

inline constexpr const char* kCancelOnDeath = "ja";

// A contract's value from a category's values by id; "" when absent.
inline std::string ContractValue(const std::map<int, std::string>& values, int contract,
                                 ContractPart part) {
    const auto it = values.find(ContractFieldId(contract, part));
    return it == values.end() ? std::string() : it->second;
}

// The terms of a contract as the rules read them.
inline ContractTerms TermsOf(const std::map<int, std::string>& values, int contract) {
    return {ContractValue(values, contract, ContractPart::Kind),
            ContractValue(values, contract, ContractPart::Begin),
            ContractValue(values, contract, ContractPart::Minimum),
            ContractValue(values, contract, ContractPart::Renewal),
            ContractValue(values, contract, ContractPart::Notice)};
}

// Whether nothing of the contract is filled in.
inline bool ContractEmpty(const std::map<int, std::string>& values, int contract) {
    for (int part = 0; part < kContractParts; ++part)
        if (ContractValue(values, contract, static_cast<ContractPart>(part))
                .find_first_not_of(" \t\r\n") != std::string::npos)
            return false;
    return true;
}
