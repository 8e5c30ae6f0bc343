// The images are compiled into this library's resource; nothing else lives here.
