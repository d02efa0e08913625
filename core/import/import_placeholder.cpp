// Placeholder: keeps the object library non-empty until the importers land.
