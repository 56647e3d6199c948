// A session on the media server's HTTP API, as the engine holds one: requests answered by
// their transaction, plugin events from the long poll, and keep-alives while it is open.
'use strict';

class JanusSession {
  // base is the API's root ("http://10.77.0.1:8088/janus"); onEvent(sender, event) gets each
  // plugin event that answers no request, onLost(why) the end of the session.
  static async open(base, onEvent, onLost) {
    const created = await JanusSession.post(base, {janus: 'create', transaction: 'create'});
    const session = new JanusSession(base, created.data.id, onEvent, onLost);
    session.poll();
    session.keeper = setInterval(() => session.keepAlive(), JanusSession.keepAliveMs);
    return session;
  }

  constructor(base, id, onEvent, onLost) {
    this.url = `${base}/${id}`;
    this.onEvent = onEvent;
    this.onLost = onLost;
    this.waiters = new Map();
    this.nextTransaction = 1;
    this.closed = false;
  }

  async attach(plugin) {
    const attached = await this.request('', {janus: 'attach', plugin});
    return attached.data.id;
  }

  // A request to the plugin behind handle: its answer ("plugindata"."data") and session
  // description, given at once or in the event carrying its transaction.
  async message(handle, body, jsep) {
    const answer = await this.request(`/${handle}`, {janus: 'message', body, jsep});
    const data = answer.plugindata ? answer.plugindata.data : {};
    if (data.error_code) throw new Error(`${body.request}: ${data.error}`);
    return {data, jsep: answer.jsep};
  }

  detach(handle) {
    this.request(`/${handle}`, {janus: 'detach'}).catch(() => {});
  }

  close() {
    this.closed = true;
    clearInterval(this.keeper);
    JanusSession.post(this.url, {janus: 'destroy', transaction: 'destroy'}).catch(() => {});
  }

  // The waiter is in place before the request goes: the long poll may bring its event
  // before the request's own reply is read.
  async request(path, request) {
    const transaction = String(this.nextTransaction++);
    const event = new Promise(resolve => this.waiters.set(transaction, resolve));
    try {
      const reply = await JanusSession.post(this.url + path, {...request, transaction});
      return reply.janus === 'ack' ? JanusSession.check(await event) : reply;
    } finally {
      this.waiters.delete(transaction);
    }
  }

  async poll() {
    while (!this.closed) {
      let events;
      try {
        const reply = await fetch(`${this.url}?maxev=10`);
        if (!reply.ok) throw new Error(`the long poll was answered ${reply.status}`);
        events = await reply.json();
      } catch (error) {
        if (!this.closed) this.onLost(`the media server's session: ${error.message}`);
        return;
      }
      for (const event of [].concat(events)) this.deliver(event);
    }
  }

  deliver(event) {
    const waiter = this.waiters.get(event.transaction);
    if (waiter && event.janus !== 'ack') return waiter(event);
    if (event.janus === 'keepalive' || event.janus === 'ack') return;
    if (event.janus === 'timeout') return this.onLost('the media server ended the session');
    this.onEvent(event.sender, event);
  }

  // Answered at once with an acknowledgement, never by an event.
  keepAlive() {
    const transaction = `keepalive-${this.nextTransaction++}`;
    JanusSession.post(this.url, {janus: 'keepalive', transaction}).catch(error => {
      if (!this.closed) this.onLost(`a keep-alive failed: ${error.message}`);
    });
  }

  static async post(url, request) {
    const reply = await fetch(url, {method: 'POST', body: JSON.stringify(request)});
    if (!reply.ok) throw new Error(`${request.janus} was answered ${reply.status}`);
    return JanusSession.check(await reply.json());
  }

  static check(answer) {
    if (answer.janus === 'error') throw new Error(answer.error.reason);
    return answer;
  }
}

// Well inside the server's session timeout of 10 s.
JanusSession.keepAliveMs = 3000;
