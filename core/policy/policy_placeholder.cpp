// Placeholder: keeps the object library non-empty until its types land.
