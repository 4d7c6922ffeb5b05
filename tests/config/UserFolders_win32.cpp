namespace testfolders {

// The system answers for the folders; the test run gives it a fresh profile.
void PointUserFoldersAway() {}

}  // namespace testfolders
