// Placeholder until this target has its first source file; delete when adding one.
