"""The Wine set-up that the launcher's end-to-end tests, the sweep and the demo share."""
