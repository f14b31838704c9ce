# Images are compiled into the executable so that it alone is a complete diary.
