-- Only a comment: nothing to check.

