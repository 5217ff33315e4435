// A build without libgettextpo reads no catalog; the tools say so.
#include "catalog/catalog.h"

bool catalogs_available()
{
    return false;
}

bool read_catalog(const std::string &, std::string, text_translations &, text_problems &, std::string &failure)
{
    failure = "catalogs are not available: this build has no libgettextpo";
    return false;
}
