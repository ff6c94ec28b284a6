#pragma once

#include "exchange/FieldMapping.h"

#include <vector>

// Every field of every form as the exchange sees it, from the field catalogue.
std::vector<ExchangeField> CatalogueFields();
