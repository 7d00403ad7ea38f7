# Release files: both programs and the notes for Windows users.
