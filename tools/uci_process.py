"""An engine process spoken to in UCI, line by line, for the measuring scripts beside this file."""
import subprocess


class UciProcess:
    def __init__(self, path, env=None):
        self.process = subprocess.Popen([path], stdin=subprocess.PIPE, stdout=subprocess.PIPE, text=True,
                                        bufsize=1, env=env)

    def send(self, line):
        self.process.stdin.write(line + "\n")
        self.process.stdin.flush()

    def wait_for(self, prefix):
        """The lines read up to and with the first that starts with prefix."""
        lines = []
        for line in self.process.stdout:
            lines.append(line.rstrip("\n"))
            if line.startswith(prefix):
                return lines
        raise RuntimeError(f"engine ended before {prefix!r}")

    def close(self):
        self.send("quit")
        self.process.wait(timeout=30)
