// Keeps the object library non-empty until its first type lands.
