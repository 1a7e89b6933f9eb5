// placeholder: filled in by the native layer work
